#include "data/uAccScramble.h"

#include <array>
#include <cstring>
#include <string_view>

#include "platform/Encoding.h"

// ---------------------------------------------------------------------------------------------
// Settings scrambling
// ---------------------------------------------------------------------------------------------

namespace {

constexpr std::string_view kAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789abcdefghijklmnopqrstuvwxyz";
constexpr int kAlphabetSize = 62;
// The routines work in buffers of 256 bytes, the last one a terminating zero.
constexpr size_t kMaxText = 255;

int AlphabetIndex(char c) {
  const size_t j = kAlphabet.find(c);
  return j == std::string_view::npos ? -1 : static_cast<int>(j);
}

// Steps through the key bytes, adding each to a running sum that is never reset. An empty key
// adds zero bytes, so letters and digits then pass unchanged.
class KeySum {
 public:
  explicit KeySum(const std::string& key) : key_(sjis::FromUtf8(key).substr(0, kMaxText)) {}
  int Next() {
    if (pos_ >= key_.size()) pos_ = 0;
    if (!key_.empty()) sum_ += static_cast<unsigned char>(key_[pos_]);
    ++pos_;
    return sum_;
  }

 private:
  std::string key_;
  size_t pos_ = 0;
  int sum_ = 0;
};

// Characters up to the first zero byte: a character outside the alphabet ends the result.
std::string UpToZero(const std::string& s) { return s.substr(0, s.find('\0')); }

}  // namespace

void InitEasyEncode(TEasyEncodeInfo& info) {
  info.TargetLength = 0;
  info.SourceLength = 0;
  info.PlainText.clear();
  info.CodedText.clear();
}

bool EasyEncode(TEasyEncodeInfo& info) {
  // Letters, digits and the zero byte that ends the text are the same bytes in UTF-8 and
  // Shift-JIS, and the first character outside the alphabet ends the result, so the texts are
  // worked on as they are.
  std::string& plain = info.PlainText;
  if (plain.size() > kMaxText) plain.resize(kMaxText);
  const int32_t pad = info.TargetLength - info.SourceLength;
  for (int32_t k = 0; k < pad && plain.size() < kMaxText; ++k) plain += static_cast<char>('A' + k % 26);

  KeySum key(info.Key);
  std::string coded(plain.size(), '\0');
  for (size_t i = 0; i < plain.size(); ++i) {
    const int sum = key.Next();
    const int j = AlphabetIndex(plain[i]);
    if (j >= 0) coded[i] = kAlphabet[static_cast<size_t>((j + sum) % kAlphabetSize)];
  }
  info.CodedText = UpToZero(coded);
  return true;
}

void EasyDecode(TEasyEncodeInfo& info) {
  const std::string coded = info.CodedText.substr(0, kMaxText);
  KeySum key(info.Key);
  std::string plain;
  for (size_t i = 0; i < coded.size() && static_cast<int64_t>(i) != info.SourceLength; ++i) {
    const int sum = key.Next();
    const int k = AlphabetIndex(coded[i]);
    char c = '\0';
    if (k >= 0) c = kAlphabet[static_cast<size_t>(((k - sum) % kAlphabetSize + kAlphabetSize) % kAlphabetSize)];
    plain += c;
  }
  info.PlainText = UpToZero(plain);
}

// ---------------------------------------------------------------------------------------------
// Protected-value transform
//
// Store form: "$Z1$" followed by the unpadded base64url text of
//   nonce (8 bytes) | text XOR ChaCha20 key stream | check value (4 bytes).
// The nonce is derived from the text, so a text always gets the same store form. The check
// value, keyed by the first key-stream block of the nonce, tells our store forms (intact) from
// anything else. The key is built into the program: this keeps values out of plain sight, it is
// not a secret against someone who has the program.
// ---------------------------------------------------------------------------------------------

namespace {

constexpr std::string_view kStorePrefix = "$Z1$";
constexpr size_t kNonceBytes = 8;
constexpr size_t kCheckBytes = 4;
// The longest text whose store form still fits in 255 bytes.
constexpr size_t kMaxProtectedText = (kMaxText - kStorePrefix.size()) * 3 / 4 - kNonceBytes - kCheckBytes;

constexpr std::array<uint32_t, 8> kProtectKey = {0x6b1f3a97u, 0x2ed4c805u, 0x91a7e36cu, 0x5c08f2d1u,
                                                 0xe3796a4bu, 0x0fb2d598u, 0x74c61e2fu, 0xa85d0b73u};

uint32_t Rotl(uint32_t v, int n) { return (v << n) | (v >> (32 - n)); }

void QuarterRound(uint32_t& a, uint32_t& b, uint32_t& c, uint32_t& d) {
  a += b; d ^= a; d = Rotl(d, 16);
  c += d; b ^= c; b = Rotl(b, 12);
  a += b; d ^= a; d = Rotl(d, 8);
  c += d; b ^= c; b = Rotl(b, 7);
}

// One 64-byte ChaCha20 block (RFC 8439) for the key, a 96-bit nonce and the block counter.
std::array<uint8_t, 64> ChaChaBlock(const std::array<uint32_t, 8>& key, const std::array<uint32_t, 3>& nonce,
                                    uint32_t counter) {
  std::array<uint32_t, 16> s = {0x61707865u, 0x3320646eu, 0x79622d32u, 0x6b206574u,
                                key[0], key[1], key[2], key[3], key[4], key[5], key[6], key[7],
                                counter, nonce[0], nonce[1], nonce[2]};
  std::array<uint32_t, 16> x = s;
  for (int i = 0; i < 10; ++i) {
    QuarterRound(x[0], x[4], x[8], x[12]);
    QuarterRound(x[1], x[5], x[9], x[13]);
    QuarterRound(x[2], x[6], x[10], x[14]);
    QuarterRound(x[3], x[7], x[11], x[15]);
    QuarterRound(x[0], x[5], x[10], x[15]);
    QuarterRound(x[1], x[6], x[11], x[12]);
    QuarterRound(x[2], x[7], x[8], x[13]);
    QuarterRound(x[3], x[4], x[9], x[14]);
  }
  std::array<uint8_t, 64> out{};
  for (size_t i = 0; i < 16; ++i) {
    const uint32_t v = x[i] + s[i];
    for (size_t b = 0; b < 4; ++b) out[4 * i + b] = static_cast<uint8_t>(v >> (8 * b));
  }
  return out;
}

uint32_t Le32(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

std::array<uint32_t, 3> ChaChaNonce(const uint8_t* nonce8) { return {0x5a315a31u, Le32(nonce8), Le32(nonce8 + 4)}; }

// 64-bit FNV-1a, continued from `h`.
uint64_t Fnv1a(std::string_view bytes, uint64_t h = 0xcbf29ce484222325ull) {
  for (unsigned char c : bytes) {
    h ^= c;
    h *= 0x100000001b3ull;
  }
  return h;
}

void Crypt(std::string& data, const uint8_t* nonce8) {
  const auto nonce = ChaChaNonce(nonce8);
  for (size_t off = 0; off < data.size(); off += 64) {
    const auto block = ChaChaBlock(kProtectKey, nonce, static_cast<uint32_t>(1 + off / 64));
    for (size_t i = 0; i < 64 && off + i < data.size(); ++i) data[off + i] = static_cast<char>(data[off + i] ^ block[i]);
  }
}

std::string CheckValue(const uint8_t* nonce8, std::string_view plain) {
  const auto block0 = ChaChaBlock(kProtectKey, ChaChaNonce(nonce8), 0);
  uint64_t h = Fnv1a(std::string_view(reinterpret_cast<const char*>(block0.data()), 32));
  h = Fnv1a(std::string_view(reinterpret_cast<const char*>(nonce8), kNonceBytes), h);
  h = Fnv1a(plain, h);
  std::string check(kCheckBytes, '\0');
  for (size_t i = 0; i < kCheckBytes; ++i) check[i] = static_cast<char>(h >> (8 * i));
  return check;
}

constexpr std::string_view kBase64 = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";

std::string Base64UrlEncode(std::string_view bytes) {
  std::string out;
  uint32_t acc = 0;
  int bits = 0;
  for (unsigned char c : bytes) {
    acc = (acc << 8) | c;
    bits += 8;
    while (bits >= 6) {
      bits -= 6;
      out += kBase64[(acc >> bits) & 63];
    }
  }
  if (bits > 0) out += kBase64[(acc << (6 - bits)) & 63];
  return out;
}

bool Base64UrlDecode(std::string_view text, std::string& bytes) {
  bytes.clear();
  if (text.size() % 4 == 1) return false;
  uint32_t acc = 0;
  int bits = 0;
  for (char c : text) {
    const size_t v = kBase64.find(c);
    if (v == std::string_view::npos) return false;
    acc = (acc << 6) | static_cast<uint32_t>(v);
    bits += 6;
    if (bits >= 8) {
      bits -= 8;
      bytes += static_cast<char>((acc >> bits) & 0xFF);
    }
  }
  // The unused low bits of the last character are zero in a text we wrote.
  return (acc & ((1u << bits) - 1)) == 0;
}

bool StoreForm(std::string_view plain, std::string& out) {
  if (plain.size() > kMaxProtectedText) return false;
  const uint64_t n = Fnv1a(plain, Fnv1a("rendo-protect-nonce"));
  uint8_t nonce[kNonceBytes];
  for (size_t i = 0; i < kNonceBytes; ++i) nonce[i] = static_cast<uint8_t>(n >> (8 * i));

  std::string body(plain);
  Crypt(body, nonce);
  std::string payload(reinterpret_cast<const char*>(nonce), kNonceBytes);
  payload += body;
  payload += CheckValue(nonce, plain);
  out = std::string(kStorePrefix) + Base64UrlEncode(payload);
  return true;
}

bool ReadForm(std::string_view stored, std::string& out) {
  if (stored.substr(0, kStorePrefix.size()) != kStorePrefix) return false;
  std::string payload;
  if (!Base64UrlDecode(stored.substr(kStorePrefix.size()), payload)) return false;
  if (payload.size() < kNonceBytes + kCheckBytes) return false;
  const auto* nonce = reinterpret_cast<const uint8_t*>(payload.data());
  std::string plain = payload.substr(kNonceBytes, payload.size() - kNonceBytes - kCheckBytes);
  Crypt(plain, nonce);
  if (CheckValue(nonce, plain) != payload.substr(payload.size() - kCheckBytes)) return false;
  if (plain.find('\0') != std::string::npos || plain.size() > kMaxText) return false;
  out = std::move(plain);
  return true;
}

bool IsBlank(const std::string& text) {
  for (unsigned char c : text) {
    if (c > ' ') return false;
  }
  return true;
}

std::string Protect(const std::string& text, const char* code) {
  if (IsBlank(text)) return {};
  char out[256] = {};
  char aux[256] = {};
  if (P_Check1(text.c_str(), code, out, aux) != 1) return {};
  return std::string(out, strnlen(out, sizeof out));
}

}  // namespace

int P_Check1(const char* in, const char* code, char out[256], char aux[256]) {
  (void)aux;
  out[0] = '\0';
  if (in == nullptr || code == nullptr) return 0;
  const std::string_view text(in, std::strlen(in));
  std::string result;
  bool ok = false;
  if (std::strcmp(code, kProtectStoreCode) == 0) {
    ok = StoreForm(text, result);
  } else if (std::strcmp(code, kProtectReadCode) == 0) {
    ok = ReadForm(text, result);
  }
  if (!ok || result.size() > kMaxText) return 0;
  std::memcpy(out, result.data(), result.size());
  out[result.size()] = '\0';
  return 1;
}

std::string ProtectStoreText(const std::string& text) { return Protect(text, kProtectStoreCode); }

std::string ProtectReadText(const std::string& text) { return Protect(text, kProtectReadCode); }

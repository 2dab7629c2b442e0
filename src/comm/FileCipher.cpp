#include "comm/FileCipher.h"

#include <fcntl.h>
#include <openssl/evp.h>
#include <openssl/rand.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/Encoding.h"

namespace {

constexpr char kMagic[4] = {'R', 'W', 'E', 'N'};
constexpr unsigned char kVersion = 1;
constexpr std::uint32_t kIterations = 200000;
constexpr std::uint32_t kMaxIterations = 10000000;  // a foreign header must not stall us for hours
constexpr std::size_t kSaltLen = 16, kIvLen = 12, kTagLen = 16;
constexpr std::size_t kHeaderLen = 4 + 1 + 4 + kSaltLen + kIvLen;
constexpr std::size_t kChunk = 1 << 20;

struct CtxDeleter {
  void operator()(EVP_CIPHER_CTX* c) const { EVP_CIPHER_CTX_free(c); }
};
using Ctx = std::unique_ptr<EVP_CIPHER_CTX, CtxDeleter>;

struct Fd {
  int fd = -1;
  ~Fd() {
    if (fd >= 0) ::close(fd);
  }
};

// The output file, written under a temporary name and renamed only by Commit.
class Output {
 public:
  explicit Output(const std::string& destination) : final_(destination), temp_(destination + ".tmpXXXXXX") {
    fd_.fd = mkstemp(temp_.data());
    if (fd_.fd < 0) throw ECipherError("the destination cannot be created");
  }
  ~Output() {
    if (!committed_) ::unlink(temp_.c_str());
  }
  void Write(const unsigned char* data, std::size_t size) {
    while (size > 0) {
      const ssize_t n = ::write(fd_.fd, data, size);
      if (n <= 0) throw ECipherError("the destination cannot be written");
      data += n;
      size -= static_cast<std::size_t>(n);
    }
  }
  void Commit() {
    if (::fsync(fd_.fd) != 0 || ::close(fd_.fd) != 0) {
      fd_.fd = -1;
      throw ECipherError("the destination cannot be written");
    }
    fd_.fd = -1;
    if (std::rename(temp_.c_str(), final_.c_str()) != 0) throw ECipherError("the destination cannot be written");
    committed_ = true;
  }

 private:
  std::string final_;
  std::string temp_;
  Fd fd_;
  bool committed_ = false;
};

std::size_t ReadSome(int fd, unsigned char* buf, std::size_t size) {
  std::size_t got = 0;
  while (got < size) {
    const ssize_t n = ::read(fd, buf + got, size - got);
    if (n < 0) throw ECipherError("the source cannot be read");
    if (n == 0) break;
    got += static_cast<std::size_t>(n);
  }
  return got;
}

void DeriveKey(const std::string& key, const unsigned char* salt, std::uint32_t iterations, unsigned char out[32]) {
  const std::string bytes = sjis::FromUtf8(key);
  if (PKCS5_PBKDF2_HMAC(bytes.data(), static_cast<int>(bytes.size()), salt, static_cast<int>(kSaltLen),
                        static_cast<int>(iterations), EVP_sha256(), 32, out) != 1) {
    throw ECipherError("key derivation failed");
  }
}

void OpenSource(const std::string& source, Fd& in, off_t& size) {
  in.fd = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
  struct stat st {};
  if (in.fd < 0 || ::fstat(in.fd, &st) != 0 || !S_ISREG(st.st_mode)) throw ECipherError("the source cannot be read");
  size = st.st_size;
}

}  // namespace

void EncryptFile(const std::string& source, const std::string& destination, const std::string& key) {
  Fd in;
  off_t size = 0;
  OpenSource(source, in, size);
  unsigned char header[kHeaderLen];
  std::memcpy(header, kMagic, 4);
  header[4] = kVersion;
  for (int i = 0; i < 4; ++i) header[5 + i] = static_cast<unsigned char>((kIterations >> (8 * i)) & 0xFF);
  unsigned char* salt = header + 9;
  unsigned char* iv = salt + kSaltLen;
  if (RAND_bytes(salt, kSaltLen) != 1 || RAND_bytes(iv, kIvLen) != 1) throw ECipherError("no random bytes");
  unsigned char k[32];
  DeriveKey(key, salt, kIterations, k);

  Ctx ctx(EVP_CIPHER_CTX_new());
  int len = 0;
  if (!ctx || EVP_EncryptInit_ex(ctx.get(), EVP_aes_256_gcm(), nullptr, nullptr, nullptr) != 1 ||
      EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_GCM_SET_IVLEN, kIvLen, nullptr) != 1 ||
      EVP_EncryptInit_ex(ctx.get(), nullptr, nullptr, k, iv) != 1 ||
      EVP_EncryptUpdate(ctx.get(), nullptr, &len, header, kHeaderLen) != 1) {
    throw ECipherError("cipher unavailable");
  }
  Output out(destination);
  out.Write(header, kHeaderLen);
  std::vector<unsigned char> buf(kChunk), enc(kChunk + 16);
  for (;;) {
    const std::size_t got = ReadSome(in.fd, buf.data(), buf.size());
    if (got == 0) break;
    if (EVP_EncryptUpdate(ctx.get(), enc.data(), &len, buf.data(), static_cast<int>(got)) != 1) {
      throw ECipherError("encryption failed");
    }
    out.Write(enc.data(), static_cast<std::size_t>(len));
  }
  unsigned char tag[kTagLen];
  if (EVP_EncryptFinal_ex(ctx.get(), enc.data(), &len) != 1 ||
      EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_GCM_GET_TAG, kTagLen, tag) != 1) {
    throw ECipherError("encryption failed");
  }
  out.Write(enc.data(), static_cast<std::size_t>(len));
  out.Write(tag, kTagLen);
  out.Commit();
}

void DecryptFile(const std::string& source, const std::string& destination, const std::string& key) {
  Fd in;
  off_t size = 0;
  OpenSource(source, in, size);
  unsigned char header[kHeaderLen];
  if (static_cast<std::size_t>(size) < kHeaderLen + kTagLen || ReadSome(in.fd, header, kHeaderLen) != kHeaderLen ||
      std::memcmp(header, kMagic, 4) != 0 || header[4] != kVersion) {
    throw ECipherError("not an encrypted communication file");
  }
  std::uint32_t iterations = 0;
  for (int i = 3; i >= 0; --i) iterations = (iterations << 8) | header[5 + i];
  if (iterations == 0 || iterations > kMaxIterations) throw ECipherError("not an encrypted communication file");
  const unsigned char* salt = header + 9;
  const unsigned char* iv = salt + kSaltLen;
  unsigned char k[32];
  DeriveKey(key, salt, iterations, k);

  Ctx ctx(EVP_CIPHER_CTX_new());
  int len = 0;
  if (!ctx || EVP_DecryptInit_ex(ctx.get(), EVP_aes_256_gcm(), nullptr, nullptr, nullptr) != 1 ||
      EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_GCM_SET_IVLEN, kIvLen, nullptr) != 1 ||
      EVP_DecryptInit_ex(ctx.get(), nullptr, nullptr, k, iv) != 1 ||
      EVP_DecryptUpdate(ctx.get(), nullptr, &len, header, kHeaderLen) != 1) {
    throw ECipherError("cipher unavailable");
  }
  Output out(destination);
  std::uint64_t left = static_cast<std::uint64_t>(size) - kHeaderLen - kTagLen;
  std::vector<unsigned char> buf(kChunk), dec(kChunk + 16);
  while (left > 0) {
    const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(left, buf.size()));
    if (ReadSome(in.fd, buf.data(), want) != want) throw ECipherError("the source cannot be read");
    if (EVP_DecryptUpdate(ctx.get(), dec.data(), &len, buf.data(), static_cast<int>(want)) != 1) {
      throw ECipherError("decryption failed");
    }
    out.Write(dec.data(), static_cast<std::size_t>(len));
    left -= want;
  }
  unsigned char tag[kTagLen];
  if (ReadSome(in.fd, tag, kTagLen) != kTagLen ||
      EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_GCM_SET_TAG, kTagLen, tag) != 1 ||
      EVP_DecryptFinal_ex(ctx.get(), dec.data(), &len) != 1) {
    throw ECipherError("wrong key or damaged file");  // the temporary output goes with `out`
  }
  out.Commit();
}

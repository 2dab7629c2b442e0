#include "comm/LhaCodec.h"

#include <algorithm>
#include <array>
#include <queue>
#include <vector>

namespace lha {
namespace {

constexpr int kDicBits = 13;
constexpr int kMaxDistance = (1 << kDicBits) - 1;
constexpr int kMaxMatch = 256;
constexpr int kThreshold = 3;
constexpr int kNC = 255 + kMaxMatch + 2 - kThreshold;  // 510 literal and length codes
constexpr int kNP = kDicBits + 1;                      // 14 position codes
constexpr int kNT = 19;                                // codes of the code-length table
constexpr int kCBits = 9, kPBits = 4, kTBits = 5;
constexpr int kMaxCodeLen = 16;
constexpr int kBlockCodes = 32768;  // codes per block (the block header counts them in 16 bits)

// ---- bits, most significant first --------------------------------------------------------------

class BitWriter {
 public:
  void Put(int count, unsigned value) {
    for (int i = count - 1; i >= 0; --i) {
      acc_ = static_cast<unsigned char>((acc_ << 1) | ((value >> i) & 1u));
      if (++n_ == 8) {
        out_ += static_cast<char>(acc_);
        acc_ = 0;
        n_ = 0;
      }
    }
  }
  std::string Finish() {
    if (n_ > 0) out_ += static_cast<char>(acc_ << (8 - n_));
    n_ = 0;
    acc_ = 0;
    return std::move(out_);
  }

 private:
  std::string out_;
  unsigned char acc_ = 0;
  int n_ = 0;
};

class BitReader {
 public:
  explicit BitReader(std::string_view data) : data_(data) {}
  // False (and from then on always false) when the data has ended.
  bool Get(int count, unsigned& value) {
    value = 0;
    for (int i = 0; i < count; ++i) {
      const std::size_t byte = pos_ >> 3;
      if (byte >= data_.size()) return false;
      value = (value << 1) | ((static_cast<unsigned char>(data_[byte]) >> (7 - (pos_ & 7))) & 1u);
      ++pos_;
    }
    return true;
  }

 private:
  std::string_view data_;
  std::size_t pos_ = 0;
};

// ---- Huffman codes -------------------------------------------------------------------------------

// Code lengths of at most kMaxCodeLen bits for the frequencies (0 for unused symbols). Needs
// at least two used symbols.
std::vector<int> MakeLengths(std::vector<std::uint64_t> freq) {
  const int n = static_cast<int>(freq.size());
  for (;;) {
    std::vector<int> parent(2 * n, -1);
    using Node = std::pair<std::uint64_t, int>;
    std::priority_queue<Node, std::vector<Node>, std::greater<Node>> heap;
    for (int i = 0; i < n; ++i)
      if (freq[i] > 0) heap.push({freq[i], i});
    int next = n;
    while (heap.size() > 1) {
      const Node a = heap.top();
      heap.pop();
      const Node b = heap.top();
      heap.pop();
      parent[a.second] = next;
      parent[b.second] = next;
      heap.push({a.first + b.first, next++});
    }
    std::vector<int> len(n, 0);
    int longest = 0;
    for (int i = 0; i < n; ++i) {
      if (freq[i] == 0) continue;
      int depth = 0;
      for (int p = parent[i]; p != -1; p = parent[p]) ++depth;
      len[i] = depth;
      longest = std::max(longest, depth);
    }
    if (longest <= kMaxCodeLen) return len;
    for (auto& f : freq)
      if (f > 0) f = (f + 1) / 2;  // flatten and try again
  }
}

// Canonical codes: shorter codes first, symbols in order within a length.
std::vector<unsigned> MakeCodes(const std::vector<int>& len) {
  std::array<unsigned, kMaxCodeLen + 2> count{}, next{};
  for (int l : len)
    if (l > 0) ++count[l];
  unsigned code = 0;
  for (int l = 1; l <= kMaxCodeLen; ++l) {
    code = (code + count[l - 1]) << 1;
    next[l] = code;
  }
  std::vector<unsigned> codes(len.size(), 0);
  for (std::size_t s = 0; s < len.size(); ++s)
    if (len[s] > 0) codes[s] = next[len[s]]++;
  return codes;
}

// Decoding side of a canonical code, or a single symbol that takes no bits.
class Decoder {
 public:
  // False when the lengths over-subscribe the code space.
  bool Build(const std::vector<int>& len) {
    single_ = -1;
    count_.fill(0);
    symbols_.clear();
    for (int l : len) {
      if (l < 0 || l > kMaxCodeLen) return false;
      if (l > 0) ++count_[l];
    }
    long left = 1;
    for (int l = 1; l <= kMaxCodeLen; ++l) {
      left = (left << 1) - count_[l];
      if (left < 0) return false;
    }
    for (int l = 1; l <= kMaxCodeLen; ++l)
      for (std::size_t s = 0; s < len.size(); ++s)
        if (len[s] == l) symbols_.push_back(static_cast<int>(s));
    return !symbols_.empty();
  }
  void Single(int symbol) { single_ = symbol; }
  bool Decode(BitReader& in, int& symbol) const {
    if (single_ >= 0) {
      symbol = single_;
      return true;
    }
    long code = 0, first = 0, index = 0;
    for (int l = 1; l <= kMaxCodeLen; ++l) {
      unsigned bit;
      if (!in.Get(1, bit)) return false;
      code |= bit;
      const long count = count_[l];
      if (code - first < count) {
        symbol = symbols_[static_cast<std::size_t>(index + code - first)];
        return true;
      }
      index += count;
      first = (first + count) << 1;
      code <<= 1;
    }
    return false;  // a code the table does not hold
  }

 private:
  std::array<long, kMaxCodeLen + 1> count_{};
  std::vector<int> symbols_;
  int single_ = -1;
};

// ---- encoder -------------------------------------------------------------------------------------

struct Token {
  std::uint16_t code;      // literal byte, or 256 + length - 3
  std::uint16_t distance;  // back distance - 1, for lengths
};

int BitLength(unsigned v) {
  int n = 0;
  while (v) {
    ++n;
    v >>= 1;
  }
  return n;
}

void WritePtLen(BitWriter& w, std::vector<int> len, int nbit, int special) {
  int n = static_cast<int>(len.size());
  while (n > 0 && len[n - 1] == 0) --n;
  w.Put(nbit, static_cast<unsigned>(n));
  int i = 0;
  while (i < n) {
    const int k = len[i++];
    if (k <= 6) w.Put(3, static_cast<unsigned>(k));
    else w.Put(k - 3, 0xFFFEu);  // "111", k - 7 more ones, then a zero
    if (i == special) {
      while (i < 6 && len[i] == 0) ++i;
      w.Put(2, static_cast<unsigned>(i - 3));
    }
  }
}

// The code-length table of the literal/length code, as symbols of the T code: 0 = one zero,
// 1 = 3..18 zeros (4 more bits), 2 = 20.. zeros (9 more bits), k + 2 = length k.
template <typename Emit>
void WalkCLen(const std::vector<int>& cLen, Emit emit) {
  int n = kNC;
  while (n > 0 && cLen[n - 1] == 0) --n;
  int i = 0;
  while (i < n) {
    const int k = cLen[i++];
    if (k != 0) {
      emit(k + 2, 0, 0);
      continue;
    }
    int run = 1;
    while (i < n && cLen[i] == 0) {
      ++i;
      ++run;
    }
    if (run <= 2) {
      for (int r = 0; r < run; ++r) emit(0, 0, 0);
    } else if (run <= 18) {
      emit(1, 4, static_cast<unsigned>(run - 3));
    } else if (run == 19) {
      emit(0, 0, 0);
      emit(1, 4, 15);
    } else {
      emit(2, kCBits, static_cast<unsigned>(run - 20));
    }
  }
}

void WriteBlock(BitWriter& w, const std::vector<Token>& tokens) {
  std::vector<std::uint64_t> cFreq(kNC, 0), pFreq(kNP, 0);
  for (const Token& t : tokens) {
    ++cFreq[t.code];
    if (t.code >= 256) ++pFreq[BitLength(t.distance)];
  }
  auto used = [](const std::vector<std::uint64_t>& f, int& only) {
    int count = 0;
    only = 0;
    for (std::size_t s = 0; s < f.size(); ++s)
      if (f[s] > 0) {
        ++count;
        only = static_cast<int>(s);
      }
    return count;
  };

  w.Put(16, static_cast<unsigned>(tokens.size()));
  std::vector<int> cLen(kNC, 0), pLen(kNP, 0);
  std::vector<unsigned> cCode(kNC, 0), pCode(kNP, 0);
  int only = 0;
  if (used(cFreq, only) <= 1) {
    w.Put(kTBits, 0);
    w.Put(kTBits, 0);
    w.Put(kCBits, 0);
    w.Put(kCBits, static_cast<unsigned>(only));
  } else {
    cLen = MakeLengths(cFreq);
    cCode = MakeCodes(cLen);
    std::vector<std::uint64_t> tFreq(kNT, 0);
    WalkCLen(cLen, [&](int sym, int, unsigned) { ++tFreq[sym]; });
    int tOnly = 0;
    std::vector<int> tLen(kNT, 0);
    std::vector<unsigned> tCode(kNT, 0);
    if (used(tFreq, tOnly) <= 1) {
      w.Put(kTBits, 0);
      w.Put(kTBits, static_cast<unsigned>(tOnly));
    } else {
      tLen = MakeLengths(tFreq);
      tCode = MakeCodes(tLen);
      WritePtLen(w, tLen, kTBits, 3);
    }
    int n = kNC;
    while (n > 0 && cLen[n - 1] == 0) --n;
    w.Put(kCBits, static_cast<unsigned>(n));
    WalkCLen(cLen, [&](int sym, int extraBits, unsigned extra) {
      w.Put(tLen[sym], tCode[sym]);
      if (extraBits > 0) w.Put(extraBits, extra);
    });
  }
  if (used(pFreq, only) <= 1) {
    w.Put(kPBits, 0);
    w.Put(kPBits, static_cast<unsigned>(only));
  } else {
    pLen = MakeLengths(pFreq);
    pCode = MakeCodes(pLen);
    WritePtLen(w, pLen, kPBits, -1);
  }
  for (const Token& t : tokens) {
    w.Put(cLen[t.code], cCode[t.code]);
    if (t.code < 256) continue;
    const int j = BitLength(t.distance);
    w.Put(pLen[j], pCode[j]);
    if (j > 1) w.Put(j - 1, t.distance - (1u << (j - 1)));
  }
}

// ---- decoder -------------------------------------------------------------------------------------

bool ReadPtLen(BitReader& in, int nn, int nbit, int special, Decoder& d) {
  unsigned n;
  if (!in.Get(nbit, n)) return false;
  if (n == 0) {
    unsigned c;
    if (!in.Get(nbit, c) || static_cast<int>(c) >= nn) return false;
    d.Single(static_cast<int>(c));
    return true;
  }
  if (static_cast<int>(n) > nn) return false;
  std::vector<int> len(nn, 0);
  int i = 0;
  while (i < static_cast<int>(n)) {
    unsigned c;
    if (!in.Get(3, c)) return false;
    if (c == 7) {
      unsigned bit;
      for (;;) {
        if (!in.Get(1, bit)) return false;
        if (!bit) break;
        if (++c > kMaxCodeLen) return false;
      }
    }
    len[i++] = static_cast<int>(c);
    if (i == special) {
      unsigned zeros;
      if (!in.Get(2, zeros)) return false;
      for (unsigned z = 0; z < zeros; ++z) {
        if (i >= nn) return false;
        len[i++] = 0;
      }
    }
  }
  return d.Build(len);
}

bool ReadCLen(BitReader& in, const Decoder& t, Decoder& c) {
  unsigned n;
  if (!in.Get(kCBits, n)) return false;
  if (n == 0) {
    unsigned s;
    if (!in.Get(kCBits, s) || static_cast<int>(s) >= kNC) return false;
    c.Single(static_cast<int>(s));
    return true;
  }
  if (static_cast<int>(n) > kNC) return false;
  std::vector<int> len(kNC, 0);
  int i = 0;
  while (i < static_cast<int>(n)) {
    int sym;
    if (!t.Decode(in, sym)) return false;
    if (sym > 2) {
      len[i++] = sym - 2;
      continue;
    }
    unsigned run = 1;
    if (sym == 1) {
      if (!in.Get(4, run)) return false;
      run += 3;
    } else if (sym == 2) {
      if (!in.Get(kCBits, run)) return false;
      run += 20;
    }
    if (i + static_cast<int>(run) > static_cast<int>(n)) return false;
    for (unsigned r = 0; r < run; ++r) len[i++] = 0;
  }
  return c.Build(len);
}

}  // namespace

std::uint16_t Crc16(std::string_view bytes, std::uint16_t crc) {
  static const auto table = [] {
    std::array<std::uint16_t, 256> t{};
    for (unsigned i = 0; i < 256; ++i) {
      unsigned r = i;
      for (int k = 0; k < 8; ++k) r = (r & 1) ? (r >> 1) ^ 0xA001u : r >> 1;
      t[i] = static_cast<std::uint16_t>(r);
    }
    return t;
  }();
  for (char ch : bytes) crc = static_cast<std::uint16_t>((crc >> 8) ^ table[(crc ^ static_cast<unsigned char>(ch)) & 0xFF]);
  return crc;
}

std::string EncodeLh5(std::string_view data) {
  constexpr int kHashBits = 15;
  constexpr int kMaxChain = 96;
  const std::size_t size = data.size();
  const auto* d = reinterpret_cast<const unsigned char*>(data.data());
  // Hash chains over the window only: a position's link is overwritten one window later,
  // when no match may reach it any more.
  constexpr std::size_t kWindow = kMaxDistance + 1;
  std::vector<std::int64_t> head(1u << kHashBits, -1);
  std::vector<std::int64_t> prev(kWindow, -1);
  auto hash = [&](std::size_t p) {
    return ((d[p] << 10) ^ (d[p + 1] << 5) ^ d[p + 2]) & ((1u << kHashBits) - 1);
  };
  auto insert = [&](std::size_t p) {
    if (p + 2 >= size) return;
    const unsigned h = hash(p);
    prev[p & (kWindow - 1)] = head[h];
    head[h] = static_cast<std::int64_t>(p);
  };

  BitWriter w;
  std::vector<Token> tokens;
  tokens.reserve(kBlockCodes);
  std::size_t pos = 0;
  while (pos < size) {
    int bestLen = 0;
    std::size_t bestDist = 0;
    if (pos + kThreshold <= size) {
      const std::size_t maxLen = std::min<std::size_t>(kMaxMatch, size - pos);
      std::int64_t cand = head[hash(pos)];
      for (int chain = 0; cand >= 0 && chain < kMaxChain; ++chain) {
        const std::size_t dist = pos - static_cast<std::size_t>(cand);
        if (dist > kMaxDistance) break;
        const std::int64_t older = prev[static_cast<std::size_t>(cand) & (kWindow - 1)];
        const std::int64_t here = cand;
        cand = older < here ? older : -1;
        const unsigned char* a = d + here;
        const unsigned char* b = d + pos;
        if (a[bestLen] != b[bestLen]) continue;
        std::size_t len = 0;
        while (len < maxLen && a[len] == b[len]) ++len;
        if (static_cast<int>(len) > bestLen) {
          bestLen = static_cast<int>(len);
          bestDist = dist;
          if (len == maxLen) break;
        }
      }
    }
    if (bestLen >= kThreshold) {
      tokens.push_back({static_cast<std::uint16_t>(256 + bestLen - kThreshold), static_cast<std::uint16_t>(bestDist - 1)});
      for (int k = 0; k < bestLen; ++k) insert(pos + k);
      pos += bestLen;
    } else {
      tokens.push_back({d[pos], 0});
      insert(pos);
      ++pos;
    }
    if (tokens.size() == kBlockCodes) {
      WriteBlock(w, tokens);
      tokens.clear();
    }
  }
  if (!tokens.empty()) WriteBlock(w, tokens);
  return w.Finish();
}

bool DecodeLh5(std::string_view packed, std::uint64_t originalSize,
               const std::function<bool(std::string_view piece)>& sink) {
  constexpr std::size_t kFlushAt = 1 << 20;
  BitReader in(packed);
  std::string out;  // the window (last kMaxDistance + 1 bytes) and what is not yet handed on
  std::size_t handed = 0;  // bytes of `out` already given to the sink
  std::uint64_t produced = 0;
  auto flush = [&](bool all) {
    if (out.size() > handed && !sink(std::string_view(out).substr(handed))) return false;
    handed = out.size();
    if (!all && out.size() > kMaxDistance + 1) {
      out.erase(0, out.size() - (kMaxDistance + 1));
      handed = out.size();
    }
    return true;
  };

  while (produced < originalSize) {
    unsigned blockCodes;
    if (!in.Get(16, blockCodes) || blockCodes == 0) return false;
    Decoder t, c, p;
    if (!ReadPtLen(in, kNT, kTBits, 3, t) || !ReadCLen(in, t, c) || !ReadPtLen(in, kNP, kPBits, -1, p)) return false;
    for (unsigned k = 0; k < blockCodes && produced < originalSize; ++k) {
      int code;
      if (!c.Decode(in, code)) return false;
      if (code < 256) {
        out += static_cast<char>(code);
        ++produced;
      } else {
        const std::uint64_t len = static_cast<std::uint64_t>(code - 256 + kThreshold);
        int j;
        if (!p.Decode(in, j)) return false;
        unsigned dist = 0;
        if (j > 0) {
          unsigned extra = 0;
          if (j > 1 && !in.Get(j - 1, extra)) return false;
          dist = (1u << (j - 1)) + extra;
        }
        if (dist + 1 > out.size() || produced + len > originalSize) return false;
        std::size_t from = out.size() - dist - 1;
        for (std::uint64_t m = 0; m < len; ++m) out += out[from++];
        produced += len;
      }
      if (out.size() >= kFlushAt + kMaxDistance && !flush(false)) return false;
    }
  }
  return flush(true);
}

}  // namespace lha

#pragma once
// The "-lh5-" method of LHA archives: LZSS over an 8 KiB window (matches of 3 to 256 bytes)
// with static Huffman codes sent per block, and the CRC-16 that LHA keeps for every entry.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace lha {

// CRC-16 (polynomial 0xA001, reflected, start 0), continued from `crc`.
std::uint16_t Crc16(std::string_view bytes, std::uint16_t crc = 0);

// The packed form of the bytes.
std::string EncodeLh5(std::string_view data);

// Unpacks `packed` into exactly `originalSize` bytes, handed to `sink` in pieces as they are
// ready. False when the packed data is damaged: a code outside its table, a table that is not
// a Huffman code, a match reaching before the start, or the data ending before the size.
bool DecodeLh5(std::string_view packed, std::uint64_t originalSize,
               const std::function<bool(std::string_view piece)>& sink);

}  // namespace lha

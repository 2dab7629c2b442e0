#pragma once
// The communication archives' file cipher: authenticated encryption, so that a file encrypted
// with a key on one installation decrypts to the identical file on another with the same key,
// and a wrong key or any changed byte is detected.
//
// File: "RWEN", format version (1), PBKDF2 iterations (LE32), salt (16), IV (12), the
// AES-256-GCM ciphertext, and the 16-byte tag. The key is PBKDF2-HMAC-SHA256 over the CP932
// bytes of the key text with the file's random salt; the header bytes are authenticated too.
#include <stdexcept>
#include <string>

class ECipherError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Encrypts `source` into `destination` (replaced only once complete). Throws ECipherError.
void EncryptFile(const std::string& source, const std::string& destination, const std::string& key);

// Decrypts `source` into `destination`. The destination appears only when the whole file
// authenticated; on a wrong key, a damaged or foreign file nothing is written and
// ECipherError is thrown.
void DecryptFile(const std::string& source, const std::string& destination, const std::string& key);

// The operator's password file: one line holding a slow, salted hash (Argon2id through
// libsodium's crypto_pwhash_str), never the password.
#pragma once
#include <string>

constexpr size_t ShortestPassword = 8;
constexpr size_t LongestPassword = 1024;

// Starts libsodium; false when it cannot.
bool StartCrypto();
// Hashes the password and writes the file (mode 0600, replaced atomically); false with a message.
bool WritePasswordFile(const std::string& path, const std::string& password, std::string* error);
// Reads the stored hash; false with a message when the file is missing or not a password file.
bool ReadPasswordFile(const std::string& path, std::string* hash, std::string* error);
// True when the password matches the stored hash (in time that does not depend on where a wrong
// password differs).
bool PasswordMatches(const std::string& hash, const std::string& password);
// A random token of 32 bytes, as 64 hexadecimal digits.
std::string RandomToken();
// Compares two texts in time that depends only on their lengths.
bool SameSecret(const std::string& a, const std::string& b);

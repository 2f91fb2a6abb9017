#include "passwords.h"

#include <sodium.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

bool StartCrypto() {
    return sodium_init() >= 0;
}

bool WritePasswordFile(const std::string& path, const std::string& password, std::string* error) {
    if (password.size() < ShortestPassword || password.size() > LongestPassword) {
        *error = "the password must be 8 to 1024 characters long";
        return false;
    }
    char hash[crypto_pwhash_STRBYTES];
    if (crypto_pwhash_str(hash, password.data(), password.size(),
                          crypto_pwhash_OPSLIMIT_INTERACTIVE,
                          crypto_pwhash_MEMLIMIT_INTERACTIVE) != 0) {
        *error = "the password could not be hashed (out of memory)";
        return false;
    }
    std::string temporary = path + ".new";
    std::filesystem::remove(temporary);
    std::FILE* f = std::fopen(temporary.c_str(), "wx");
    if (!f) {
        *error = "cannot write " + temporary;
        return false;
    }
    std::filesystem::permissions(
        temporary, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    bool ok = std::fprintf(f, "%s\n", hash) > 0;
    ok = (std::fflush(f) == 0) && ok;
    ok = (std::fclose(f) == 0) && ok;
    std::error_code failed;
    if (ok) std::filesystem::rename(temporary, path, failed);
    if (!ok || failed) {
        std::filesystem::remove(temporary, failed);
        *error = "cannot write " + path;
        return false;
    }
    return true;
}

bool ReadPasswordFile(const std::string& path, std::string* hash, std::string* error) {
    std::ifstream in(path);
    std::string line;
    if (!in || !std::getline(in, line)) {
        *error = "cannot read the password file " + path + " (set one with passwd)";
        return false;
    }
    if (line.rfind("$argon2id$", 0) != 0 || line.size() >= crypto_pwhash_STRBYTES) {
        *error = path + " is not a password file (set one with passwd)";
        return false;
    }
    *hash = line;
    return true;
}

bool PasswordMatches(const std::string& hash, const std::string& password) {
    if (password.size() > LongestPassword) return false;
    return crypto_pwhash_str_verify(hash.c_str(), password.data(), password.size()) == 0;
}

std::string RandomToken() {
    unsigned char bytes[32];
    randombytes_buf(bytes, sizeof bytes);
    char hex[sizeof bytes * 2 + 1];
    sodium_bin2hex(hex, sizeof hex, bytes, sizeof bytes);
    return hex;
}

bool SameSecret(const std::string& a, const std::string& b) {
    return a.size() == b.size() && sodium_memcmp(a.data(), b.data(), a.size()) == 0;
}

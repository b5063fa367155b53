#include "platform/ContentKey.h"

#include "platform/FileSystem.h"

#include <openssl/evp.h>

#include <array>
#include <fstream>
#include <memory>
#include <stdexcept>

namespace {

struct DigestFree {
    void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
};

class Digest {
public:
    Digest() : context_(EVP_MD_CTX_new()) {
        if (!context_ || EVP_DigestInit_ex(context_.get(), EVP_sha256(), nullptr) != 1)
            throw std::runtime_error("SHA-256 is not available");
    }
    void Add(const char* data, std::size_t size) {
        if (EVP_DigestUpdate(context_.get(), data, size) != 1)
            throw std::runtime_error("SHA-256 failed");
    }
    std::string Hex() {
        std::array<unsigned char, EVP_MAX_MD_SIZE> digest{};
        unsigned length = 0;
        if (EVP_DigestFinal_ex(context_.get(), digest.data(), &length) != 1)
            throw std::runtime_error("SHA-256 failed");
        static const char* const kDigits = "0123456789abcdef";
        std::string hex;
        for (unsigned i = 0; i < length; ++i) {
            hex += kDigits[digest[i] >> 4];
            hex += kDigits[digest[i] & 15];
        }
        return hex;
    }

private:
    std::unique_ptr<EVP_MD_CTX, DigestFree> context_;
};

} // namespace

std::string ContentKey::OfFile(const std::string& path) {
    std::ifstream in(fs_win::ToHost(path), std::ios::binary);
    if (!in) throw std::runtime_error("Cannot open file " + path);
    Digest digest;
    std::array<char, 65536> chunk;
    while (in.read(chunk.data(), chunk.size()) || in.gcount() > 0)
        digest.Add(chunk.data(), static_cast<std::size_t>(in.gcount()));
    if (in.bad()) throw std::runtime_error("Cannot read file " + path);
    return digest.Hex();
}

std::string ContentKey::OfText(const std::string& bytes) {
    Digest digest;
    digest.Add(bytes.data(), bytes.size());
    return digest.Hex();
}

#include "calc/ContentDigest.h"

#include <openssl/evp.h>

#include <new>
#include <stdexcept>

#include "model/persistence/Archive.h"

namespace kelmora {

struct CSha256::Context {
    EVP_MD_CTX* md = nullptr;
};

namespace {

void Begin(EVP_MD_CTX* md) {
    if (EVP_DigestInit_ex(md, EVP_sha256(), nullptr) != 1) throw std::runtime_error("SHA-256 unavailable");
}

}  // namespace

CSha256::CSha256() : context_(new Context) {
    context_->md = EVP_MD_CTX_new();
    if (context_->md == nullptr) {
        delete context_;
        throw std::bad_alloc();
    }
    Begin(context_->md);
}

CSha256::~CSha256() {
    EVP_MD_CTX_free(context_->md);
    delete context_;
}

void CSha256::Update(std::span<const std::uint8_t> bytes) {
    if (!bytes.empty()) EVP_DigestUpdate(context_->md, bytes.data(), bytes.size());
}

void CSha256::Update(std::string_view bytes) {
    if (!bytes.empty()) EVP_DigestUpdate(context_->md, bytes.data(), bytes.size());
}

Digest CSha256::Final() {
    Digest digest{};
    unsigned int size = 0;
    EVP_DigestFinal_ex(context_->md, digest.data(), &size);
    Begin(context_->md);
    return digest;
}

std::string DigestHex(const Digest& digest) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string text;
    for (std::uint8_t byte : digest) {
        text += kHex[byte >> 4];
        text += kHex[byte & 0x0f];
    }
    return text;
}

Digest ModelDigest(const CNoise& model) {
    // Serialize transfers in both directions and so is not const; a copy is stored.
    CNoise copy = model;
    CArchive ar;
    copy.Serialize(ar);
    CSha256 sha;
    sha.Update(ar.Bytes());
    return sha.Final();
}

}  // namespace kelmora

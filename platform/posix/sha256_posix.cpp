#include "platform/sha256.h"

#include <openssl/evp.h>

namespace platform {

struct Sha256::State {
    EVP_MD_CTX* context = nullptr;
    bool ok = false;
};

Sha256::Sha256() : state_(new State) {
    state_->context = EVP_MD_CTX_new();
    state_->ok = state_->context != nullptr &&
                 EVP_DigestInit_ex(state_->context, EVP_sha256(), nullptr) == 1;
}

Sha256::~Sha256() {
    EVP_MD_CTX_free(state_->context);
}

bool Sha256::Add(const void* data, size_t size) {
    state_->ok = state_->ok && EVP_DigestUpdate(state_->context, data, size) == 1;
    return state_->ok;
}

std::string Sha256::FinishHex() {
    unsigned char digest[EVP_MAX_MD_SIZE] = {};
    unsigned int size = 0;
    if (!state_->ok || EVP_DigestFinal_ex(state_->context, digest, &size) != 1) {
        state_->ok = false;
        return std::string();
    }
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    for (unsigned int i = 0; i < size; ++i) {
        hex += digits[digest[i] >> 4];
        hex += digits[digest[i] & 15];
    }
    return hex;
}

}  // namespace platform

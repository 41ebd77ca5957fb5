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

bool Sha256::Finish(unsigned char (&digest)[32]) {
    unsigned int size = 0;
    state_->ok = state_->ok && EVP_DigestFinal_ex(state_->context, digest, &size) == 1 &&
                 size == sizeof(digest);
    return state_->ok;
}

}  // namespace platform

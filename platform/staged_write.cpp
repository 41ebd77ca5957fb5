#include "platform/staged_file.h"

namespace platform {

StagedWrite::StagedWrite(const std::u16string& path, const void* data, size_t size,
                         const std::u16string& root) {
    if (!MayWriteSafely(path, root, result_)) {
        return;
    }
    auto file = std::make_unique<StagedFile>(path);
    if (!file->Ok()) {
        result_.error = file->Error();
        return;
    }
    if (!file->Append(std::string_view(static_cast<const char*>(data), size)) || !file->Close()) {
        result_.error = file->Error();
        return;  // the staging file goes with file
    }
    file_ = std::move(file);
}

WriteResult StagedWrite::Commit() {
    if (!file_) {
        return result_;
    }
    result_ = file_->Commit();
    file_.reset();
    return result_;
}

}  // namespace platform

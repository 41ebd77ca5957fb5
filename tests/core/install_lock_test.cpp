// The lock that keeps two programs from changing one install at once.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <future>
#include <memory>
#include <thread>

#include "install/install_lock.h"
#include "platform/named_lock.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using install::InstallLock;
using testsupport::TempDir;

// Whether another thread (standing in for another process: the lock does not know threads
// of its own process apart, the way it would another process) gets the lock within waitMs.
bool OtherGets(const std::string& name, unsigned waitMs) {
    return std::async(std::launch::async,
                      [&] { return platform::NamedLock::Acquire(name, waitMs) != nullptr; })
        .get();
}

TEST(NamedLock, OneHolderAtATimeAndFreeOnceGone) {
    const std::string name =
        "test-" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count());
    auto held = platform::NamedLock::Acquire(name, 0);
    ASSERT_NE(nullptr, held);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(OtherGets(name, 200));
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(190));
    held.reset();
    EXPECT_TRUE(OtherGets(name, 0));
}

TEST(InstallLock, NamedAfterTheFolderWhateverItsSpelling) {
    TempDir dir;
    fs::create_directories(dir.Path() / "ZovIDE");
    const std::u16string folder = dir.Text(u"ZovIDE");
    const std::string name = install::InstallLockName(folder);
    EXPECT_EQ(name, install::InstallLockName(folder + u"/"));
    EXPECT_EQ(name, install::InstallLockName(dir.Text(u"ZovIDE/../ZovIDE")));
    EXPECT_NE(name, install::InstallLockName(dir.Text()));
    std::error_code error;
    fs::create_directory_symlink(dir.Path() / "ZovIDE", dir.Path() / "link", error);
    if (!error) {
        EXPECT_EQ(name, install::InstallLockName(dir.Text(u"link")));
    }
}

TEST(InstallLock, CountedWithinTheProcessAndRefusedToAnother) {
    TempDir dir;
    const std::u16string folder = dir.Text();
    const std::string name = install::InstallLockName(folder);
    {
        const auto outer = InstallLock::Acquire(folder, 0);
        ASSERT_NE(nullptr, outer);
        EXPECT_TRUE(outer->First());
        {
            const auto inner = InstallLock::Acquire(folder, 0);  // a command inside a brand
            ASSERT_NE(nullptr, inner);
            EXPECT_FALSE(inner->First());
        }
        EXPECT_FALSE(OtherGets(name, 50));  // still held by the outer one
    }
    EXPECT_TRUE(OtherGets(name, 0));

    // Held elsewhere: refused after the wait, and free again once that holder is gone.
    auto other = std::async(std::launch::async, [&] {
        auto lock = platform::NamedLock::Acquire(name, 0);
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        return lock != nullptr;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(nullptr, InstallLock::Acquire(folder, 50));
    EXPECT_TRUE(other.get());
    EXPECT_NE(nullptr, InstallLock::Acquire(folder, 0));
}

}  // namespace

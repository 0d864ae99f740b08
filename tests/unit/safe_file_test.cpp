// empty_regular against a directory of its own: what it leaves is an empty regular file
// with the permissions a new file gets, or the file's own when it was emptied in place.
// What open_regular refuses is stated by the planted names of the case tables.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "haadm/safe_file.h"

namespace {

class SafeFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        char name[] = "/tmp/safe_file.XXXXXX";
        ASSERT_NE(mkdtemp(name), nullptr);
        dir_ = name;
    }
    void TearDown() override { ASSERT_EQ(system(("rm -rf " + dir_).c_str()), 0); }

    std::string at(const char* name) const { return dir_ + "/" + name; }
    void write(const char* name, const std::string& text) const
    {
        std::ofstream(at(name), std::ios::binary) << text;
    }
    std::string read(const char* name) const
    {
        std::ifstream in(at(name), std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    mode_t kind(const char* name) const
    {
        struct stat st {};
        return lstat(at(name).c_str(), &st) == 0 ? (st.st_mode & S_IFMT) : 0;
    }
    // Permission bits; files are made 0666 less the umask, as any program makes them.
    mode_t perms(const char* name) const
    {
        struct stat st {};
        return lstat(at(name).c_str(), &st) == 0 ? (st.st_mode & 07777) : 07777;
    }

    std::string dir_;
};

TEST_F(SafeFile, EmptyingLeavesAnEmptyRegularFile)
{
    write("secret", "secret");
    write("full", "reason");
    ASSERT_EQ(symlink(at("secret").c_str(), at("link").c_str()), 0);
    ASSERT_EQ(mkfifo(at("fifo").c_str(), 0600), 0);
    ASSERT_EQ(mkdir(at("dir").c_str(), 0700), 0);
    ASSERT_EQ(chmod(at("full").c_str(), 0600), 0);
    const mode_t old = umask(002);
    const struct {
        const char* name;
        mode_t perms;  // a file emptied in place keeps its own
    } cases[] = {{"full", 0600}, {"link", 0664}, {"fifo", 0664}, {"missing", 0664}};
    for (const auto& c : cases) {
        haadm::empty_regular(at(c.name).c_str());
        EXPECT_EQ(kind(c.name), static_cast<mode_t>(S_IFREG)) << c.name;
        EXPECT_EQ(perms(c.name), c.perms) << c.name;
        EXPECT_EQ(read(c.name), "") << c.name;
    }
    umask(old);
    haadm::empty_regular(at("dir").c_str());
    EXPECT_EQ(kind("dir"), static_cast<mode_t>(S_IFDIR));
    EXPECT_EQ(read("secret"), "secret");
}

// An open that fails with no link in the way (here: no such directory) is a missing
// file, not a link.
TEST_F(SafeFile, AFailedOpenIsAMissingFile)
{
    EXPECT_EQ(haadm::open_regular(at("nodir/file").c_str(), O_RDWR | O_CREAT, false).why,
              haadm::FileRefusal::missing);
}

}  // namespace

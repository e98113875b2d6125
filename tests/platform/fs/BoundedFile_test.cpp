// Reading the operator's files: whole, cut at the bound, or refused when they are not regular files.
#include "platform/fs/BoundedFile.h"

#include "support/SpecialFiles.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace dravo {
namespace {

using Outcome = BoundedFile::Outcome;

TEST(BoundedFile, AFileThatFitsIsReadWholeAndALargerOneIsCutAtTheBound) {
    test::TempDir dir;
    const std::string text(40000, 'a'); // more than one read's chunk
    const auto exact = dir.Write("exact.txt", text);
    const BoundedFile whole = ReadBoundedFile(exact, text.size());
    EXPECT_EQ(whole.m_Outcome, Outcome::Read);
    EXPECT_EQ(whole.m_Bytes, text);

    const auto larger = dir.Write("larger.txt", text + "b");
    const BoundedFile cut = ReadBoundedFile(larger, text.size());
    EXPECT_EQ(cut.m_Outcome, Outcome::Cut);
    EXPECT_EQ(cut.m_Bytes, text);
    EXPECT_TRUE(cut.HasText());

    const BoundedFile empty = ReadBoundedFile(dir.Write("empty.txt", ""), 10);
    EXPECT_EQ(empty.m_Outcome, Outcome::Read);
    EXPECT_TRUE(empty.m_Bytes.empty());
}

TEST(BoundedFile, WhatIsNoRegularFileIsRefusedWithoutWaiting) {
    test::TempDir dir;
    EXPECT_EQ(ReadBoundedFile(dir.Path() / "missing.txt", 10).m_Outcome, Outcome::Missing);
    std::filesystem::create_directory(dir.Path() / "folder");
    EXPECT_FALSE(ReadBoundedFile(dir.Path() / "folder", 10).HasText());
    if (test::MakeFifo(dir.Path() / "fifo")) {
        EXPECT_EQ(ReadBoundedFile(dir.Path() / "fifo", 10).m_Outcome, Outcome::NotRegular); // no writer: no wait
    }
    if (test::LinkEndlessDevice(dir.Path() / "zero")) {
        EXPECT_EQ(ReadBoundedFile(dir.Path() / "zero", 10).m_Outcome, Outcome::NotRegular);
    }
}

} // namespace
} // namespace dravo

#include "ServicesFixture.h"

namespace kestrel::test {
namespace {

using DataTest = ServicesTest;
using Kind = FileHandle::DataKind;
using Mode = FileHandle::OpenMode;

std::string allBytes() {
    std::string bytes;
    for (int i = 0; i < 256; ++i) bytes += static_cast<char>(i);
    return bytes;
}

TEST_F(DataTest, TypedValuesRoundTripThroughABinaryFile) {
    std::string name = "data.bin";
    ASSERT_EQ(files_->OpenFile(name, Mode::write), "data.bin");
    files_->putdata(Kind::byte, int32_t{255});
    files_->putdata(Kind::byte, std::string("7"));
    files_->putdata(Kind::word, int32_t{-2});
    files_->putdata(Kind::word, int32_t{0x1234});
    files_->putdata(Kind::dword, int32_t{-123456789});
    files_->putdata(Kind::dword, int32_t{0x7FFFFFFF});
    files_->putdata(Kind::string, allBytes());
    files_->putdata(Kind::block, allBytes());
    files_->putdata(Kind::megablock, std::string("ignored"));
    files_->putdata(Kind::value, std::string("ignored"));
    EXPECT_EQ(files_->lineno(), 0) << "putdata does not count";
    EXPECT_EQ(files_->fLen(), 1 + 1 + 2 + 2 + 4 + 4 + 4 + 256 + 256);

    files_->SeekData(0);
    EXPECT_EQ(std::get<int32_t>(files_->getdata(Kind::byte)), 255);
    EXPECT_EQ(std::get<int32_t>(files_->getdata(Kind::byte)), 7);
    EXPECT_EQ(std::get<int32_t>(files_->getdata(Kind::word)), -2);
    EXPECT_EQ(std::get<int32_t>(files_->getdata(Kind::word)), 0x1234);
    EXPECT_EQ(std::get<int32_t>(files_->getdata(Kind::dword)), -123456789);
    EXPECT_EQ(std::get<int32_t>(files_->getdata(Kind::dword)), 0x7FFFFFFF);
    EXPECT_EQ(std::get<std::string>(files_->getdata(Kind::string)), allBytes());
    EXPECT_EQ(files_->getBlock(256), allBytes());
    EXPECT_TRUE(files_->ENDOF());
    EXPECT_EQ(std::get<std::string>(files_->getdata(Kind::megablock)), "");
    EXPECT_EQ(files_->lineno(), 9) << "every getdata counts, megablock included";
    files_->closefile();

    std::string bytes = readFile("data.bin");
    EXPECT_EQ(bytes.substr(0, 10), std::string("\xFF\x07\xFE\xFF\x34\x12\xEB\x32\xA4\xF8", 10));
    EXPECT_EQ(bytes.substr(14, 4), std::string("\x08\x00\x00\x01", 4)) << "tag 8, then the length 256";
}

TEST_F(DataTest, StringWrittenThenReadAfterSeekingBack) {
    std::string name = "s.bin";
    files_->OpenFile(name, Mode::write);
    files_->putdata(Kind::string, std::string("abc"));
    EXPECT_EQ(files_->fPos(), 7);
    files_->SeekData(0);
    EXPECT_EQ(files_->getText(Kind::string), "abc");
    EXPECT_EQ(files_->fPos(), 7);
}

TEST_F(DataTest, BlockReadsThousandByDefaultOrTheGivenCount) {
    writeFile("big.bin", std::string(3000, 'x') + "tail");
    std::string name = "big.bin";
    files_->OpenFile(name, Mode::read);
    EXPECT_EQ(files_->getText(Kind::block).size(), 1000u);
    EXPECT_EQ(files_->getBlock(16).size(), 16u);
    EXPECT_EQ(files_->getBlock(0).size(), 1000u);
    EXPECT_EQ(files_->fPos(), 2016);
    files_->SeekData(2990);
    EXPECT_EQ(files_->getText(Kind::block), std::string(10, 'x') + "tail") << "a default block may end short";
    EXPECT_THROW(files_->getdata(Kind::block), FormatError);
}

TEST_F(DataTest, TruncatedReadsThrowFormatError) {
    writeFile("short.bin", std::string("\x01\x08\x00\x05\x00"
                                       "ab",
                                       7));
    std::string name = "short.bin";
    files_->OpenFile(name, Mode::read);
    files_->SeekData(0);
    EXPECT_EQ(files_->getNumber(Kind::byte), 1);
    EXPECT_THROW(files_->getdata(Kind::string), FormatError) << "length 5 but only 2 bytes follow";
    files_->SeekData(6);
    EXPECT_THROW(files_->getdata(Kind::dword), FormatError);
    files_->SeekData(6);
    EXPECT_THROW(files_->getdata(Kind::word), FormatError);
    files_->SeekData(6);
    EXPECT_THROW(files_->getBlock(2), FormatError);
    files_->SeekData(1);
    EXPECT_THROW(files_->getBlock(100000000), FormatError);
    files_->SeekData(7);
    EXPECT_THROW(files_->getdata(Kind::byte), FormatError);
    EXPECT_THROW(files_->getdata(Kind::line), FormatError);
}

TEST_F(DataTest, TextLinesAcceptCrLfAndLfAndAreWrittenWithCrLf) {
    writeFile("mixed.ksc", "first\r\nsecond\n\r\nlast");
    std::string name = "mixed.ksc";
    files_->OpenFile(name, Mode::input);
    std::vector<std::string> lines;
    while (!files_->ENDOF()) lines.push_back(files_->getText(Kind::line));
    EXPECT_EQ(lines, (std::vector<std::string>{"first", "second", "", "last"}));
    EXPECT_EQ(files_->lineno(), 4);
    files_->setLineno(40);
    EXPECT_EQ(files_->lineno(), 40);
    EXPECT_EQ(files_->currentFileName(), "mixed.ksc");
    files_->closefile();
    EXPECT_EQ(files_->currentFileName(), "");

    writeFile("out.ksc", "old content that must go");
    name = "out.ksc";
    files_->OpenFile(name, Mode::output, false);
    EXPECT_EQ(files_->fileno(), 1) << "an existing output file without confirm is left alone";
    std::filesystem::remove("out.ksc");
    ASSERT_EQ(files_->OpenFile(name, Mode::output), "out.ksc");
    files_->putdata(Kind::line, std::string("#org 100"));
    files_->putdata(Kind::line, int32_t{-5});
    files_->closefile();
    EXPECT_EQ(readFile("out.ksc"), "#org 100\r\n-5\r\n");
}

TEST_F(DataTest, ALoneCrEndsALineAsLfAndCrLfDo) {
    writeFile("cr.ksc", "one\rtwo\r\rthree\r\nfour\n\rfive\r");
    std::string name = "cr.ksc";
    files_->OpenFile(name, Mode::input);
    std::vector<std::string> lines;
    std::string line;
    while (!files_->ENDOF()) {
        files_->getLine(line);
        lines.push_back(line);
    }
    EXPECT_EQ(lines, (std::vector<std::string>{"one", "two", "", "three", "four", "", "five"}));
    EXPECT_EQ(files_->lineno(), 7);
    files_->closefile();
}

TEST_F(DataTest, CrLfSplitAcrossBufferLoadsIsOneLineEnd) {
    // Lines long enough that the CR and its LF fall on either side of a
    // buffer refill for one of the lengths, whatever the buffer size.
    for (std::size_t back = 0; back < 3; ++back) {
        for (std::size_t block : {1024u, 4096u, 8192u}) {
            const std::string first(block - 1 - back, 'x');
            writeFile("split.ksc", first + "\r\nnext\r\n");
            std::string name = "split.ksc";
            files_->OpenFile(name, Mode::input);
            std::vector<std::string> lines;
            while (!files_->ENDOF()) lines.push_back(files_->getText(Kind::line));
            files_->closefile();
            ASSERT_EQ(lines, (std::vector<std::string>{first, "next"})) << "first line of " << first.size();
        }
    }
}

TEST_F(DataTest, GetLineReusesTheCallersStringAndCountsLikeGetText) {
    writeFile("reuse.ksc", "a much longer first line than the next\r\nb\n\nlast");
    std::string name = "reuse.ksc";
    files_->OpenFile(name, Mode::input);
    std::string line = "left over";
    std::vector<std::string> lines;
    while (!files_->ENDOF()) {
        files_->getLine(line);
        lines.push_back(line);
    }
    EXPECT_EQ(lines, (std::vector<std::string>{"a much longer first line than the next", "b", "", "last"}));
    EXPECT_EQ(files_->lineno(), 4);
    EXPECT_THROW(files_->getLine(line), FormatError);
    files_->closefile();
}

TEST_F(DataTest, ValueReadsCommaAndLineDelimitedFields) {
    writeFile("values.txt", "12, \"a, b\" ,last\r\n  next line  \n");
    std::string name = "values.txt";
    files_->OpenFile(name, Mode::input);
    EXPECT_EQ(files_->getText(Kind::value), "12");
    EXPECT_EQ(files_->getText(Kind::value), "a, b");
    EXPECT_EQ(files_->getText(Kind::value), "last");
    EXPECT_EQ(files_->getText(Kind::value), "next line");
    EXPECT_TRUE(files_->ENDOF());
    EXPECT_THROW(files_->getdata(Kind::value), FormatError);
}

TEST_F(DataTest, ConversionsOfPutdataAreChecked) {
    std::string name = "c.bin";
    files_->OpenFile(name, Mode::write);
    EXPECT_THROW(files_->putdata(Kind::byte, int32_t{256}), OverflowError);
    EXPECT_THROW(files_->putdata(Kind::word, int32_t{40000}), OverflowError);
    EXPECT_THROW(files_->putdata(Kind::byte, std::string("abc")), TypeMismatchError);
    EXPECT_THROW(files_->putdata(Kind::string, std::string(70000, 'a')), OverflowError);
    files_->putdata(Kind::word, std::string("&hFFFF"));
    files_->putdata(Kind::byte, FileValue{});
    EXPECT_EQ(files_->fLen(), 3) << "failed writes leave nothing behind";
}

TEST_F(DataTest, WritesAfterReadsLandAtTheReadPosition) {
    writeFile("img.bin", "ABCDEFGH");
    std::string name = "img.bin";
    files_->OpenFile(name, Mode::read);
    EXPECT_EQ(files_->getBlock(2), "AB");
    files_->putdata(Kind::block, std::string("xy"));
    EXPECT_EQ(files_->getBlock(1), "E");
    files_->closefile();
    EXPECT_EQ(readFile("img.bin"), "ABxyEFGH") << "read mode keeps the file and writes in place";
}

TEST_F(DataTest, MissingInputAsksNothingButShowsTheBox) {
    std::string name = "absent.ksc";
    EXPECT_EQ(files_->OpenFile(name, Mode::input), std::nullopt);
    EXPECT_EQ(platform_->boxes, (std::vector<std::string>{"kestrel|File Not Found or user cancel"}));
    EXPECT_EQ(files_->fileno(), 1);
}

TEST_F(DataTest, ExistingOutputIsDeletedOnlyWhenTheUserSaysYes) {
    writeFile("keep.bin", "1");
    std::string name = "keep.bin";
    EXPECT_EQ(files_->OpenFile(name, Mode::write, true), std::nullopt);
    EXPECT_EQ(platform_->boxes, (std::vector<std::string>{"Delete File|File Exists. Delete?"}));
    EXPECT_EQ(readFile("keep.bin"), "1");

    platform_->yesNoAnswers.push_back(true);
    ASSERT_EQ(files_->OpenFile(name, Mode::write, true), "keep.bin");
    EXPECT_EQ(files_->fLen(), 0) << "deleted, then created anew";
}

TEST_F(DataTest, RelativeNamesFallBackToTheProgramFolderOnlyForExistingFiles) {
#ifdef _WIN32
    GTEST_SKIP() << "compares POSIX path forms";
#endif
    std::filesystem::create_directories(root_ / "home" / "base");
    writeFile(root_ / "home" / "base" / "includes.ksh", "#define x 1\n");
    std::string name = "base\\includes.ksh";
    std::string used = files_->OpenFile(name, Mode::input).value_or("");
    EXPECT_EQ(used, home() + "/base/includes.ksh");
    EXPECT_EQ(name, used) << "the name is completed in place";
    EXPECT_EQ(files_->getText(Kind::line), "#define x 1");
    files_->closefile();

    std::string fresh = "fresh.ksc";
    ASSERT_EQ(files_->OpenFile(fresh, Mode::output), "fresh.ksc");
    files_->closefile();
    EXPECT_TRUE(std::filesystem::exists(root_ / "work" / "fresh.ksc"));
    EXPECT_FALSE(std::filesystem::exists(root_ / "home" / "fresh.ksc"));

    std::string absolute = work() + "/nothing.ksc";
    EXPECT_FALSE(files_->exist(absolute, false, false));
    EXPECT_EQ(absolute, work() + "/nothing.ksc");
}

TEST_F(DataTest, FailedOpensLeaveOnlyTheLogOpen) {
    std::string name = "no/such/folder/x.bin";
    EXPECT_EQ(files_->OpenFile(name, Mode::write), std::nullopt) << "the platform refuses: nothing stays open";
    EXPECT_EQ(files_->fileno(), 1);

    EXPECT_TRUE(files_->ENDOF()) << "only the log is open";
    files_->closefile();  // nothing open: no effect
    EXPECT_EQ(files_->fileno(), 1);
    EXPECT_THROW(files_->getdata(Kind::line), OutOfRangeError);
    EXPECT_THROW(files_->fPos(), OutOfRangeError);
}

TEST_F(DataTest, MoreThanSixteenFilesAreRefused) {
    writeFile("f.txt", "z");
    for (int i = 2; i <= FileHandle::kMaxFiles; ++i) {
        std::string name = "f.txt";
        ASSERT_EQ(files_->OpenFile(name, Mode::input), "f.txt") << i;
    }
    EXPECT_EQ(files_->fileno(), 16);
    std::string name = "f.txt";
    EXPECT_EQ(files_->OpenFile(name, Mode::input), std::nullopt);
    EXPECT_EQ(files_->fileno(), 16);
    while (files_->fileopen()) files_->closefile();
    auto lines = logLines();
    bool refused = false;
    for (const auto& line : lines) refused = refused || line.find("Too many open files") != std::string::npos;
    EXPECT_TRUE(refused);
}

TEST_F(DataTest, EmptyNameAsksTheDialog) {
    writeFile("picked.ksc", "a\n");
    std::string name;
    EXPECT_EQ(files_->OpenFile(name, Mode::input), std::nullopt) << "cancelled";
    EXPECT_EQ(files_->fileno(), 1);
    platform_->fileAnswers.push_back("picked.ksc");
    EXPECT_EQ(files_->OpenFile(name, Mode::input), "picked.ksc");
    EXPECT_EQ(name, "picked.ksc");
    EXPECT_EQ(platform_->boxes, (std::vector<std::string>{"dialog|Open file ....", "dialog|Open file ...."}));
}

TEST_F(DataTest, TypedFieldsAgreeWithGetdataAndPutdata) {
    std::string name = "typed.bin";
    ASSERT_EQ(files_->OpenFile(name, Mode::write), "typed.bin");
    files_->putNumber(Kind::byte, 200);
    files_->putNumber(Kind::word, -2);
    files_->putNumber(Kind::dword, -123456789);
    files_->putText(Kind::string, allBytes());
    files_->putText(Kind::block, "xyz");
    files_->putText(Kind::byte, "7");  // a text for a number kind is converted as putdata does
    EXPECT_THROW(files_->putNumber(Kind::byte, 256), OverflowError);
    EXPECT_THROW(files_->putNumber(Kind::word, 40000), OverflowError);
    EXPECT_THROW(files_->putText(Kind::string, std::string(0x10000, 'x')), OverflowError);
    EXPECT_EQ(files_->fPos(), 1 + 2 + 4 + 4 + 256 + 3 + 1);

    files_->SeekData(0);
    EXPECT_EQ(files_->getNumber(Kind::byte), 200);
    EXPECT_EQ(files_->getNumber(Kind::word), -2);
    EXPECT_EQ(std::get<int32_t>(files_->getdata(Kind::dword)), -123456789);
    EXPECT_EQ(files_->getText(Kind::string), allBytes());
    EXPECT_EQ(files_->getText(Kind::block), "xyz\x07") << "a block of no count reads what there is";
    EXPECT_EQ(files_->lineno(), 5) << "typed reads count like getdata";
    EXPECT_THROW(files_->getNumber(Kind::byte), FormatError);
    files_->closefile();

    EXPECT_THROW(files_->getNumber(Kind::byte), OutOfRangeError) << "no file open";
    EXPECT_THROW(files_->putText(Kind::string, "x"), OutOfRangeError);
}

TEST_F(DataTest, PositionFollowsEveryReadWriteAndSeek) {
    writeFile("pos.bin", "0123456789\r\n\"quoted, text\",  plain ,rest");
    std::string name = "pos.bin";
    files_->OpenFile(name, Mode::read);
    EXPECT_EQ(files_->fPos(), 0);
    files_->SeekData(4);
    EXPECT_EQ(files_->getNumber(Kind::byte), '4');
    EXPECT_EQ(files_->fPos(), 5);
    files_->putdata(Kind::block, std::string("ab"));  // a write after a read lands where the read stopped
    EXPECT_EQ(files_->fPos(), 7);
    files_->SeekData(7);  // already there
    files_->putdata(Kind::block, std::string("c"));
    EXPECT_EQ(files_->getBlock(1), "8") << "a read after a write goes on behind it";
    EXPECT_EQ(files_->getText(Kind::line), "9");
    EXPECT_EQ(files_->fPos(), 12);
    EXPECT_EQ(files_->getText(Kind::value), "quoted, text");
    EXPECT_EQ(files_->fPos(), 27);
    EXPECT_EQ(files_->getText(Kind::value), "plain");
    EXPECT_EQ(files_->fPos(), 36);
    const int32_t length = files_->fLen();
    EXPECT_EQ(files_->fPos(), 36) << "asking for the length does not move";
    files_->SeekData(length + 2);  // past the end: the next write extends the file
    files_->putdata(Kind::block, std::string("!"));
    EXPECT_EQ(files_->fPos(), length + 3);
    files_->SeekData(-1);
    EXPECT_EQ(files_->fPos(), length + 3) << "a negative offset is refused";
    files_->closefile();
    EXPECT_EQ(readFile("pos.bin"), std::string("01234abc89\r\n\"quoted, text\",  plain ,rest\0\0!", 43));
}

}  // namespace
}  // namespace kestrel::test

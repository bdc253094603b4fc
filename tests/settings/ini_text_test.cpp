#include "settings/ini_document.h"
#include "settings/ini_lines.h"
#include "settings/ini_reader.h"

#include "scratch_folder.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

using Lines = std::vector<std::string>;

TEST(TrimSpace, TrimsExactlyTheSixWhiteSpaceBytes) {
    EXPECT_EQ(trimSpace(" \t\n\v\f\rkey = value \t\n\v\f\r"), "key = value");
    EXPECT_EQ(trimSpace(" \t\n\v\f\r"), "");
    EXPECT_EQ(trimSpace(""), "");
    // NUL, other control bytes, a non-breaking space (Latin-1 and UTF-8) are text.
    for (std::string edge : {std::string(1, '\0'), std::string("\x1F"), std::string("\x0E"),
                             std::string("\xA0"), std::string("\xC2\xA0"), std::string("\x85")}) {
        const std::string text = " " + edge + "x" + edge + " ";
        EXPECT_EQ(trimSpace(text), edge + "x" + edge);
    }
}

TEST(SplitLines, EndsLinesAtLineFeedOnly) {
    EXPECT_EQ(splitLines(""), Lines{});
    EXPECT_EQ(splitLines("a"), Lines{"a"});
    EXPECT_EQ(splitLines("a\n"), (Lines{"a", ""}));
    EXPECT_EQ(splitLines("\n"), (Lines{"", ""}));
    EXPECT_EQ(splitLines("a\n\nb"), (Lines{"a", "", "b"}));
    EXPECT_EQ(splitLines("a\r\nb\r\n"), (Lines{"a", "b", ""}));
    EXPECT_EQ(splitLines("a\rb\r"), Lines{"ab"});
    EXPECT_EQ(splitLines("\r"), Lines{""});
    EXPECT_EQ(splitLines(std::string("a\0b\n\0", 5)), (Lines{"ab", ""}));
}

struct LineCase {
    std::string line;
    LineKind kind;
    std::string name;
    std::string key;
    std::string value;
};

TEST(ClassifyLine, KindsAndTexts) {
    const std::vector<LineCase> cases = {
        {"", LineKind::Blank, "", "", ""},
        {" \t\v\f", LineKind::Blank, "", "", ""},
        {";HoldTime=5", LineKind::Comment, "", "", ""},
        {"  ; note", LineKind::Comment, "", "", ""},
        {"#HoldTime=5", LineKind::KeyValue, "", "#HoldTime", "5"},
        {"[Pallbrook]", LineKind::SectionHeader, "Pallbrook", "", ""},
        {"[ Pall brook\t]", LineKind::SectionHeader, "Pall brook", "", ""},
        {"[]", LineKind::SectionHeader, "", "", ""},
        {"[a]b]c", LineKind::SectionHeader, "a]b", "", ""},
        {"[a] ; b]", LineKind::SectionHeader, "a", "", ""},
        {"[a;b]", LineKind::Unrecognised, "", "", ""},
        {"[a=b;c]", LineKind::KeyValue, "", "[a", "b"},
        {"[a", LineKind::Unrecognised, "", "", ""},
        {"a[b]", LineKind::Unrecognised, "", "", ""},
        {"key", LineKind::Unrecognised, "", "", ""},
        {"key = value", LineKind::KeyValue, "", "key", "value"},
        {"key=", LineKind::KeyValue, "", "key", ""},
        {"=value", LineKind::KeyValue, "", "", "value"},
        {"key = a = b ; c", LineKind::KeyValue, "", "key", "a = b ; c"},
        {"Key = \"quoted\"", LineKind::KeyValue, "", "Key", "\"quoted\""},
    };
    for (const LineCase& c : cases) {
        const ClassifiedLine got = classifyLine(c.line);
        EXPECT_EQ(got.kind, c.kind) << '"' << c.line << '"';
        if (c.kind == LineKind::SectionHeader) {
            EXPECT_EQ(got.name, c.name) << '"' << c.line << '"';
        }
        if (c.kind == LineKind::KeyValue) {
            EXPECT_EQ(got.key, c.key) << '"' << c.line << '"';
            EXPECT_EQ(got.value, c.value) << '"' << c.line << '"';
        }
    }
}

TEST(ClassifyLine, EscapedEqualsSign) {
    const std::vector<LineCase> cases = {
        // "\=" hides an '=' from the split and becomes '=' in the key.
        {R"(a\=b=c)", LineKind::KeyValue, "", "a=b", "c"},
        {R"(a\=b\=c=d)", LineKind::KeyValue, "", "a=b=c", "d"},
        // In the value it stays as written.
        {R"(a=b\=c)", LineKind::KeyValue, "", "a", R"(b\=c)"},
        {R"(a\=)", LineKind::Unrecognised, "", "", ""},
        {R"(\=)", LineKind::Unrecognised, "", "", ""},
        // Left to right without overlap: the second backslash pairs with '='.
        {R"(a\\=b)", LineKind::Unrecognised, "", "", ""},
        {R"(a\\=b=c)", LineKind::KeyValue, "", R"(a\=b)", "c"},
        // A backslash before a blank escapes nothing.
        {R"(a\ =b)", LineKind::KeyValue, "", R"(a\)", "b"},
        // The key is trimmed before "\=" becomes '=', so an escaped sign at its
        // edge survives.
        {R"(  \= = x)", LineKind::KeyValue, "", "=", "x"},
        // Inside a header line that has no closing bracket.
        {R"([a\=b=c)", LineKind::KeyValue, "", "[a=b", "c"},
    };
    for (const LineCase& c : cases) {
        const ClassifiedLine got = classifyLine(c.line);
        EXPECT_EQ(got.kind, c.kind) << c.line;
        if (c.kind == LineKind::KeyValue) {
            EXPECT_EQ(got.key, c.key) << c.line;
            EXPECT_EQ(got.value, c.value) << c.line;
        }
    }
}

TEST(IniDocument, KeepsFirstOccurrenceOrderAndReplacesInPlace) {
    IniDocument doc;
    readIniText("top=1\n[B]\nx=1\ny=2\n[A]\nz=3\n[B]\nx=9\nw=4\n[b]\n", doc);
    ASSERT_EQ(doc.sections.size(), 3u);
    EXPECT_EQ(doc.sections[0].name, "B");
    EXPECT_EQ(doc.sections[1].name, "A");
    EXPECT_EQ(doc.sections[2].name, "b");
    using Entries = std::vector<std::pair<std::string, std::string>>;
    EXPECT_EQ(doc.sections[0].entries, (Entries{{"x", "9"}, {"y", "2"}, {"w", "4"}}));
    EXPECT_EQ(doc.sections[1].entries, (Entries{{"z", "3"}}));
    EXPECT_TRUE(doc.sections[2].entries.empty());
}

TEST(IniDocument, ReadingEmptiesTheDocumentFirst) {
    IniDocument doc;
    readIniText("[Old]\nk=v\n", doc);
    readIniText("[New]\n", doc);
    ASSERT_EQ(doc.sections.size(), 1u);
    EXPECT_EQ(doc.sections[0].name, "New");
    EXPECT_EQ(doc.sectionIndex.count("Old"), 0u);
}

TEST(IniDocument, SectionAndKeyAccess) {
    IniDocument doc;
    readIniText("[S]\nKey=v\n", doc);
    IniSection& section = sectionNamed(doc, "S");
    EXPECT_TRUE(hasKey(section, "Key"));
    EXPECT_TRUE(hasKey(section, " \tKey "));
    EXPECT_FALSE(hasKey(section, "key"));
    EXPECT_EQ(valueOf(section, " Key\t"), "v");

    // An absent key is added with an empty value.
    EXPECT_EQ(valueOf(section, "Other"), "");
    EXPECT_TRUE(hasKey(section, "Other"));

    // An absent section is added empty, and only once.
    IniSection& added = sectionNamed(doc, "s");
    EXPECT_TRUE(added.entries.empty());
    sectionNamed(doc, "s");
    EXPECT_EQ(doc.sections.size(), 2u);
}

TEST(ReadIniDocument, AnswersFalseForNoFileAndEmptiesTheDocument) {
    ScratchFolder folder;
    IniDocument doc;
    readIniText("[Old]\n", doc);
    EXPECT_FALSE(readIniDocument("", doc));
    EXPECT_TRUE(doc.sections.empty());

    readIniText("[Old]\n", doc);
    EXPECT_FALSE(readIniDocument("missing.ini", doc));
    EXPECT_TRUE(doc.sections.empty());

    // A folder opens as a file on some systems but yields no bytes.
    std::filesystem::create_directory("folder.ini");
    EXPECT_FALSE(readIniDocument("folder.ini", doc));
}

TEST(ReadIniDocument, ReadsRawBytes) {
    ScratchFolder folder;
    writeBytes("empty.ini", "");
    IniDocument doc;
    EXPECT_TRUE(readIniDocument("empty.ini", doc));
    EXPECT_TRUE(doc.sections.empty());

    writeBytes("raw.ini", std::string("[S]\r\nk=a\0b\xFF\r\n", 13));
    ASSERT_TRUE(readIniDocument("raw.ini", doc));
    ASSERT_EQ(doc.sections.size(), 1u);
    EXPECT_EQ(valueOf(doc.sections[0], "k"), "ab\xFF");
}

} // namespace

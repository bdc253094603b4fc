// docs/capture-format.md held to its word. Each vector is a small input and
// the bytes the document makes of it, worked out by hand in the comments.
// The encoder must write exactly those bytes (its data chunks inflated here
// with zlib, not with the reader), and the reader must read the same bytes,
// made here by hand (the records in a zlib stream of stored blocks), back
// into the input. Writer and reader share their code; these bytes are the document's.
#include "capture/raw_chunks.h"
#include "capture/session.h"
#include "capture/synthetic_frames.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdio>
#include <functional>
#include <string>

namespace {

using namespace capture_test;

// Hashes small enough for their hash-cache slots to be worked out by hand:
// the top byte of hash × 0x9E3779B97F4A7C15 is 0x9E for 1, 0x3C for 2, 0xDA
// for 3, and 0x9E again for 234 (234 × 0x9E37... = 0x9EB5438E5A156B32 mod
// 2^64): 1 and 234 share a slot.
constexpr std::uint64_t A = 1, C = 2, D = 3, B = 234;
const Bytes HashA = {0x01, 0, 0, 0, 0, 0, 0, 0};
const Bytes HashB = {0xEA, 0, 0, 0, 0, 0, 0, 0};
const Bytes HashC = {0x02, 0, 0, 0, 0, 0, 0, 0};
const Bytes HashD = {0x03, 0, 0, 0, 0, 0, 0, 0};

std::string hex(const Bytes& bytes) {
    std::string out;
    char byte[4];
    for (const std::uint8_t b : bytes) {
        std::snprintf(byte, sizeof byte, "%02X ", b);
        out += byte;
    }
    return out;
}

// The file as the document lays it out: the twelve bytes of the signature,
// then chunks (tag, length, two CRCs, payload); each data chunk's payload is
// a zlib stream of its own.
struct LaidOut {
    Bytes signature;
    std::vector<std::pair<std::string, Bytes>> chunks; // tag, payload as stored
    Bytes records;                                     // the data chunks', inflated
    bool ok = true;
};

LaidOut layOut(const Bytes& file) {
    LaidOut laid;
    laid.signature.assign(file.begin(), file.begin() + std::min<long>(12, long(file.size())));
    for (std::size_t at = 12; at + 16 <= file.size() && laid.ok;) {
        const std::uint32_t length = capture::loadU32(file.data() + at + 4);
        const Bytes payload(file.begin() + long(at + 16), file.begin() + long(at + 16 + length));
        laid.ok = capture::loadU32(file.data() + at + 8) == crc32(0, payload.data(), length) &&
                  capture::loadU32(file.data() + at + 12) == crc32(0, file.data() + at, 12);
        const std::string tag(file.begin() + long(at), file.begin() + long(at + 4));
        if (tag == "DATA") {
            Bytes out(64u << 10);
            uLongf size = out.size();
            laid.ok = laid.ok && uncompress(out.data(), &size, payload.data(), length) == Z_OK;
            laid.records.insert(laid.records.end(), out.begin(), out.begin() + long(size));
        }
        laid.chunks.emplace_back(tag, payload);
        at += 16 + length;
    }
    return laid;
}

// "\x89PBCAP\r\n", version 3; the header chunk of plugin version "0.1.0"
// (varint 5 and its bytes) and build "b" (varint 1, 'b').
const Bytes Signature = {0x89, 'P', 'B', 'C', 'A', 'P', '\r', '\n', 3, 0, 0, 0};
const Bytes Head = chunk(capture::HeaderTag, {5, '0', '.', '1', '.', '0', 1, 'b'});

// For records only version 1's encoder wrote, `written` is what it writes now.
struct Vector {
    const char* what;
    std::function<void(Session&)> input;
    Bytes records;
    Bytes written = {};
};

Call call(std::uint64_t hash, std::vector<std::uint64_t> args, std::vector<std::uint64_t> result) {
    return {hash, std::move(args), {}, {}, std::move(result)};
}

void answers(Session& s, std::uint64_t hash, std::initializer_list<std::uint64_t> results) {
    for (const std::uint64_t result : results) {
        capture_test::call(s, call(hash, {}, {result}));
        wait(s);
    }
}

std::vector<Vector> vectors() {
    return {
        // Call 0x20, hash as eight bytes, argument count 1, 5, no texts, no
        // slots, one result word 7. Again: 0x21 and its slot. Wait of 20 ms: 15
        // + varint 5.
        {"call, then from the hash cache; a long wait",
         [](Session& s) {
             capture_test::call(s, call(A, {5}, {7}));
             capture_test::call(s, call(A, {6}, {7}));
             wait(s, 20);
         },
         join({{0x20},
               HashA,
               {0x01, 0x05, 0x00, 0x00, 0x01, 0x07},
               {0x21, 0x9E, 0x01, 0x06, 0x00, 0x00, 0x01, 0x07, 0x6F, 0x05}})},
        // A text "ab" at 0 and a slot of 300 at 2, whose words (addresses, 7
        // here) are kept as 0: one text (index 0, length 2, bytes), one slot
        // (index 2, varint 300 = AC 02), no result words.
        {"texts and slots, their words 0",
         [](Session& s) {
             capture_test::call(s, {C, {7, 4, 7}, {{0, "ab"}}, {{2, 300}}, {}});
             wait(s);
         },
         join({{0x20},
               HashC,
               {0x03, 0x00, 0x04, 0x00, 0x01, 0x00, 0x02, 'a', 'b', 0x01, 0x02, 0xAC, 0x02, 0x00,
                0x60}})},
        // 234 shares the slot of 1, so 1 after it is written as eight bytes.
        {"a hash whose cache slot another took is written whole",
         [](Session& s) {
             capture_test::call(s, call(A, {5}, {}));
             capture_test::call(s, call(B, {7}, {}));
             capture_test::call(s, call(A, {6}, {}));
             wait(s);
         },
         join({{0x20},
               HashA,
               {0x01, 0x05, 0x00, 0x00, 0x00},
               {0x20},
               HashB,
               {0x01, 0x07, 0x00, 0x00, 0x00},
               {0x20},
               HashA,
               {0x01, 0x06, 0x00, 0x00, 0x00, 0x60}})},
        // The timer's answer, 1000 (E8 07). +16: a Repeat record with its
        // sites (0x81): one call, 0 events before it, no argument changed,
        // result word 0 (0x01); zigzag(16) = 0x20. +16: the same sites again
        // (0x80), 0x20.
        {"repeat records as the timer moves on",
         [](Session& s) {
             answers(s, D, {1000, 1016, 1032});
         },
         join({{0x20},
               HashD,
               {0x00, 0x00, 0x00, 0x01, 0xE8, 0x07, 0x60, 0x81, 0x01, 0x00, 0x00, 0x01, 0x20, 0x80,
                0x20}})},
        // Calls 1(1), 2(2), 3(3). Then 1, 3 against them: Same of one, 2 left
        // out (Skip of one), Same of 3 and the wait. Then 1, 2(4), 3: 2 put
        // in, its hash from the cache.
        {"skip, and a call put in",
         [](Session& s) {
             for (const auto& frame : std::vector<std::vector<Call>>{
                      {call(A, {1}, {}), call(C, {2}, {}), call(D, {3}, {})},
                      {call(A, {1}, {}), call(D, {3}, {})},
                      {call(A, {1}, {}), call(C, {4}, {}), call(D, {3}, {})}}) {
                 for (const Call& c : frame) {
                     capture_test::call(s, c);
                 }
                 wait(s);
             }
         },
         join({{0x20},
               HashA,
               {0x01, 0x01, 0x00, 0x00, 0x00},
               {0x20},
               HashC,
               {0x01, 0x02, 0x00, 0x00, 0x00},
               {0x20},
               HashD,
               {0x01, 0x03, 0x00, 0x00, 0x00, 0x60},
               {0x00, 0x10, 0x01},
               {0x00, 0x21, 0x3C, 0x01, 0x04, 0x00, 0x00, 0x00, 0x01}})},
        // Frames 1, 2, 1, 2 of one call each. Frame 2 has no base of its shape
        // nor first event: against the last frame, a CallDelta of the hash
        // alone (mask 0x01). It goes into slot 1, the one never stored; frame 1
        // again is written against slot 0 (Base 0x70) as a Repeat record of no
        // sites (81 00); frame 2 again against slot 1, the same sites (80).
        // The encoder: each frame's base call passed over (Skip 0x10) for the
        // call whole, from the hash cache after the first time; Same of the wait.
        {"call delta of the hash, and base records",
         [](Session& s) {
             for (const std::uint64_t hash : {A, C, A, C}) {
                 capture_test::call(s, call(hash, {}, {}));
                 wait(s);
             }
         },
         join({{0x20},
               HashA,
               {0x00, 0x00, 0x00, 0x00, 0x60, 0x30, 0x01},
               HashC,
               {0x00, 0x70, 0x81, 0x00, 0x71, 0x80}}),
         join({{0x20},
               HashA,
               {0x00, 0x00, 0x00, 0x00, 0x60, 0x10, 0x20},
               HashC,
               {0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x21, 0x9E, 0x00, 0x00, 0x00,
                0x00, 0x00, 0x10, 0x21, 0x3C, 0x00, 0x00, 0x00, 0x00, 0x00}})},
        // Words 0 (text "ab"), 10, 0 (slot of 5); answer 1. Then a text
        // "cd", 12, a slot of 7 and a fourth word 4; answers 1 and 9: mask
        // 0x1E; 4 arguments, words 1 and 3 changed (0x0A), by 2 and by 4 from 0
        // (0x04 0x08); the texts whole; one slot at 2, 7 against 5 (0x04); the
        // result byte 2 | 0b10 << 2, 9 against 0 (0x12). Same of the wait. The
        // encoder: Skip, and the call whole from the cache (0x21 0x3C).
        {"call delta of arguments, texts, slots and result",
         [](Session& s) {
             capture_test::call(s, {C, {0, 10, 0}, {{0, "ab"}}, {{2, 5}}, {1}});
             wait(s);
             capture_test::call(s, {C, {0, 12, 0, 4}, {{0, "cd"}}, {{2, 7}}, {1, 9}});
             wait(s);
         },
         join({{0x20},
               HashC,
               {0x03, 0x00, 0x0A, 0x00, 0x01, 0x00, 0x02, 'a', 'b', 0x01, 0x02, 0x05, 0x01, 0x01,
                0x60},
               {0x30, 0x1E, 0x04, 0x0A, 0x04, 0x08, 0x01, 0x00, 0x02, 'c', 'd', 0x01, 0x02, 0x04,
                0x0A, 0x12, 0x00}}),
         join({{0x20}, HashC, {0x03, 0x00, 0x0A, 0x00, 0x01, 0x00, 0x02, 'a',  'b',
                               0x01, 0x02, 0x05, 0x01, 0x01, 0x60, 0x10, 0x21, 0x3C,
                               0x04, 0x00, 0x0C, 0x00, 0x04, 0x01, 0x00, 0x02, 'c',
                               'd',  0x01, 0x02, 0x07, 0x02, 0x01, 0x09, 0x00}})},
        // Room 1024 (zigzag 2048 = 80 10), returned 3 (0x06), three handles:
        // 100 from 0 (C8 01), +7, +7. Then 100, 114: room +0, returned -1
        // (0x01), count 2, runs Same 1 (0x00), Skip 1 (0x01), Same 1. Then 100,
        // 105, 114: returned +1, count 3, Same 1, Fresh 1 (0x02) of 105
        // against 100 (0x0A), Same 1. Then 100 alone: the base handles left at
        // the end need no run. Returned 5 for two handles: said as it came.
        // The encoder: Skip and the list whole: 100, +14 (0x1C); 100, +5
        // (0x0A), +9 (0x12); 100; 100, +7.
        {"ped lists and their deltas",
         [](Session& s) {
             peds(s, {100, 107, 114}, 3);
             wait(s);
             peds(s, {100, 114}, 2);
             wait(s);
             peds(s, {100, 105, 114}, 3);
             wait(s);
             peds(s, {100}, 1);
             wait(s);
             peds(s, {100, 107}, 5);
             wait(s);
         },
         {0x40, 0x80, 0x10, 0x06, 0x03, 0xC8, 0x01, 0x0E, 0x0E, 0x60, 0x50, 0x00, 0x01, 0x02,
          0x00, 0x01, 0x00, 0x00, 0x50, 0x00, 0x02, 0x03, 0x00, 0x02, 0x0A, 0x00, 0x00, 0x50,
          0x00, 0x03, 0x01, 0x00, 0x00, 0x50, 0x00, 0x08, 0x02, 0x00, 0x02, 0x0E, 0x00},
         {0x40, 0x80, 0x10, 0x06, 0x03, 0xC8, 0x01, 0x0E, 0x0E, 0x60, 0x10, 0x40, 0x80,
          0x10, 0x04, 0x02, 0xC8, 0x01, 0x1C, 0x00, 0x10, 0x40, 0x80, 0x10, 0x06, 0x03,
          0xC8, 0x01, 0x0A, 0x12, 0x00, 0x10, 0x40, 0x80, 0x10, 0x02, 0x01, 0xC8, 0x01,
          0x00, 0x10, 0x40, 0x80, 0x10, 0x0A, 0x02, 0xC8, 0x01, 0x0E, 0x00}},
        // Handles 1, 2, 3 (02 02 02), then 1, 2, 9: Same 2 ((2 - 1) << 2 = 0x04),
        // Fresh 1 (0x02) of 9 against 2 (0x0E); the base's 3 left over at
        // the end needs no run. Same of the wait. The encoder: Skip, and 1, +1,
        // +7 whole.
        {"a ped list whose last ped is replaced",
         [](Session& s) {
             peds(s, {1, 2, 3}, 3);
             wait(s);
             peds(s, {1, 2, 9}, 3);
             wait(s);
         },
         {0x40, 0x80, 0x10, 0x06, 0x03, 0x02, 0x02, 0x02, 0x60, 0x50, 0x00, 0x00, 0x03, 0x04, 0x02,
          0x0E, 0x00},
         {0x40, 0x80, 0x10, 0x06, 0x03, 0x02, 0x02, 0x02, 0x60, 0x10, 0x40, 0x80, 0x10, 0x06, 0x03,
          0x02, 0x02, 0x0E, 0x00}},
        // Then 1, 2, 3, 9: returned +1, Same 3 (0x08) to the end of the base
        // list, Fresh 1 of 9 against 3 (0x0C). The encoder: Skip, and the list
        // whole, returned 4 (0x08).
        {"a ped list that keeps every ped and adds one",
         [](Session& s) {
             peds(s, {1, 2, 3}, 3);
             wait(s);
             peds(s, {1, 2, 3, 9}, 4);
             wait(s);
         },
         {0x40, 0x80, 0x10, 0x06, 0x03, 0x02, 0x02, 0x02, 0x60, 0x50, 0x00, 0x02, 0x04, 0x08, 0x02,
          0x0C, 0x00},
         {0x40, 0x80, 0x10, 0x06, 0x03, 0x02, 0x02, 0x02, 0x60, 0x10,
          0x40, 0x80, 0x10, 0x08, 0x04, 0x02, 0x02, 0x02, 0x0C, 0x00}},
        // Sixteen calls and a wait, then the same calls and a wait of 5 ms: a
        // Same of 16, n = 15, is 0x0F and varint 0; then the wait (0x65).
        {"a long same run",
         [](Session& s) {
             for (std::uint32_t ms = 0; ms <= 5; ms += 5) {
                 for (int k = 0; k < 16; ++k) {
                     capture_test::call(s, call(A, {}, {}));
                 }
                 wait(s, ms);
             }
         },
         [] {
             Bytes records = join({{0x20}, HashA, {0, 0, 0, 0}});
             for (int k = 1; k < 16; ++k) {
                 records = join({records, {0x21, 0x9E, 0, 0, 0, 0}});
             }
             return join({records, {0x60, 0x0F, 0x00, 0x65}});
         }()},
    };
}

TEST(CaptureFormat, TheEncoderWritesTheRecordsTheDocumentGives) {
    for (const Vector& v : vectors()) {
        Session s;
        begin(s, "b");
        v.input(s);
        flush(s);
        const LaidOut laid = layOut(s.file);
        EXPECT_TRUE(laid.ok) << v.what << ": a chunk's checksum, or its zlib stream, is off";
        EXPECT_EQ(laid.signature, Signature) << v.what;
        EXPECT_EQ(hex(Bytes(s.file.begin(), s.file.begin() + long(Head.size() + 12))),
                  hex(join({Signature, Head})))
            << v.what;
        EXPECT_EQ(hex(laid.records), hex(v.written.empty() ? v.records : v.written)) << v.what;
    }
}

TEST(CaptureFormat, TheReaderReadsTheRecordsTheDocumentGives) {
    for (const Vector& v : vectors()) {
        Session s;
        begin(s, "b");
        v.input(s); // only for the frames the reader must give back
        for (const Bytes& records : {v.records, v.written.empty() ? v.records : v.written}) {
            const auto read = capture_test::read(
                join({Signature, Head, chunk(capture::DataTag, stored(records))}));
            ASSERT_FALSE(read.error) << v.what << ": " << describe(*read.error);
            EXPECT_EQ(read.capture->header.buildIdentity, "b");
            EXPECT_TRUE(sameFrames(read.capture->frames, s.frames)) << v.what;
        }
    }
}

// Whole files: the header chunk, the settings chunk in each of its states,
// the closing marks, and a data chunk of version 1, whose records are stored
// as they are. Checksums as zlib's crc32.
TEST(CaptureFormat, WholeFilesAreTheBytesTheDocumentGives) {
    using capture::CaptureEnding;
    using capture::SettingsFound;
    const Bytes version1 = {0x89, 'P', 'B', 'C', 'A', 'P', '\r', '\n', 1, 0, 0, 0};
    const std::string eightMiB(capture::MaxSettingsBytes, ';');
    struct File {
        const char* what;
        std::function<void(Session&)> write;
        Bytes bytes;
        SettingsFound settings;
        CaptureEnding ending;
    };
    const std::vector<File> files = {
        {"no settings file, closed",
         [](Session& s) {
             capture::recordNoSettingsFile(s.encoder);
             append(s, capture::endCapture(s.encoder));
         },
         join({Signature, Head, chunk(capture::SettingsTag, {0}), chunk(capture::EndTag, {})}),
         SettingsFound::NoFile, CaptureEnding::Closed},
        // The cap as a varint: 1000 is E8 07.
        {"a settings file, the size cap reached",
         [](Session& s) {
             capture::recordSettingsFile(s.encoder, "x=1");
             append(s, capture::stopAtSizeCap(s.encoder, 1000));
         },
         join({Signature, Head, chunk(capture::SettingsTag, {1, 'x', '=', '1'}),
               chunk(capture::SizeCapTag, {0xE8, 0x07})}),
         SettingsFound::File, CaptureEnding::SizeCapReached},
        {"a settings file cut, stood down",
         [&eightMiB](Session& s) {
             capture::recordSettingsFile(s.encoder, eightMiB + "x");
             append(s, capture::endStoodDown(s.encoder));
         },
         join({Signature, Head, chunk(capture::SettingsTag, join({{2}, text(eightMiB)})),
               chunk(capture::StoodDownTag, {})}),
         SettingsFound::FileCut, CaptureEnding::StoodDown},
        // The first vector's records in version 1, not compressed.
        {"version 1, its records stored plain",
         [](Session& s) {
             capture_test::call(s, call(A, {5}, {7}));
             capture_test::call(s, call(A, {6}, {7}));
             wait(s, 20);
             flush(s);
         },
         join({version1, Head,
               chunk(capture::DataTag,
                     join({{0x20},
                           HashA,
                           {0x01, 0x05, 0x00, 0x00, 0x01, 0x07},
                           {0x21, 0x9E, 0x01, 0x06, 0x00, 0x00, 0x01, 0x07, 0x6F, 0x05}}))}),
         SettingsFound::NotRecorded, CaptureEnding::Unmarked},
    };
    for (const File& f : files) {
        Session s;
        begin(s, "b");
        f.write(s); // the encoder writes version 3 only
        EXPECT_TRUE(s.file == f.bytes || f.bytes[8] == 1)
            << f.what << ": "
            << hex(Bytes(s.file.begin(), s.file.begin() + std::min<long>(80, long(s.file.size()))));
        const auto read = capture_test::read(f.bytes);
        ASSERT_FALSE(read.error) << f.what << ": " << describe(*read.error);
        EXPECT_EQ(read.capture->header.formatVersion, f.bytes[8]) << f.what;
        EXPECT_EQ(read.capture->header.pluginVersion, "0.1.0") << f.what;
        EXPECT_EQ(read.capture->settings.found, f.settings) << f.what;
        EXPECT_EQ(read.capture->extent.ending, f.ending) << f.what;
        EXPECT_TRUE(sameFrames(read.capture->frames, s.frames)) << f.what;
    }
}

} // namespace

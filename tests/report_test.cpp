// The header report of a known recording, compared with text written by hand
// from the field values set below.
#include <gtest/gtest.h>

#include "tests/test_support.h"
#include "tools/sample_recording.h"

namespace kalimber::test {
namespace {

RecordingHeader KnownHeader() {
    RecordingHeader h = sample::MakeHeader(1000);
    h.Riff.Id = {'R', 'I', 0, 'F'};
    h.Fmt.AudioFormat.Set(static_cast<std::int16_t>(0xFFFE));
    h.Fmt.NumChannels.Set(-1);
    h.Auxi.StopTime.Year.Set(65535);
    h.Auxi.IFFrequency.Set(4294967295u);
    h.Auxi.Unused4.Set(4);
    h.Auxi.Unused5.Set(5);
    std::string name;
    while (name.size() < 96) {
        name += "0123456789abcdef";
    }
    sample::SetText(h.Auxi.NextFileName, 96, name);  // all 96 bytes, no NUL
    h.Orva.LastDemodFreq.Set(-7100000);
    h.Orva.LastDemodMode.Set(65535);
    h.Orva.Filter = 255;
    h.Orva.PID.Set(0xBC);
    h.Orva.Unused4.Set(44);
    h.Orva.Unused5.Set(55);
    h.Orva.Unused9.Set(99);
    return h;
}

const char* const kExpectedReport =
    "---RIFF Chunk---\n"
    "   CnkId: RI\0F\n"
    "   CnkSize: 1308\n"
    "   CnkFormat: WAVE\n"
    "---FMT Chunk---\n"
    "   CnkId: fmt \n"
    "   CnkSize: 16\n"
    "   CnkAudioFormat: -2 (WRONG FORMAT)\n"
    "   CnkNumChan: -1\n"
    "   CnkSampleRate: 192000\n"
    "   CnkByteRate: 768000\n"
    "   CnkBlockAlign: 4\n"
    "   CnkBitPerSample 16\n"
    "---AUXI Chunk---\n"
    "   CnkId: auxi\n"
    "   CnkSize: 164\n"
    "   StartTime: 2021/4/17  14:3:9:45\n"
    "   StopTime:  65535/4/17  14:3:9:205\n"
    "   CenterFreq: 7100000\n"
    "   ADFrequency: 64000000\n"
    "   IFFrequency: 4294967295\n"
    "   Bandwidth: 150000\n"
    "   IQOffset: 0\n"
    "   DBOffset: 0\n"
    "   MaxVal: 32767\n"
    "   Unused4: 4\n"
    "   Unused5: 5\n"
    "   NextFileName: "
    "0123456789abcdef0123456789abcdef0123456789abcdef"
    "0123456789abcdef0123456789abcdef0123456789abcdef\n"
    "---ORVA Chunk---\n"
    "   CnkId: orva\n"
    "   CnkSize: 92\n"
    "   LocalToUTC: -60\n"
    "   LastDemodFreq: -7100000\n"
    "   LastDemodBw: 2700\n"
    "   LastDemodMode: 65535\n"
    "   Filter: 255\n"
    "   Attenuator: 10\n"
    "   VID: 01A2\n"
    "   PID: 00BC\n"
    "   SN: KLB-0042-7731\n"
    "   RxMode: 1\n"
    "   Options1: 2\n"
    "   Options2: 0\n"
    "   Version: 1\n"
    "   Unused1: 0\n"
    "   Unused2: 0\n"
    "   Unused3: 0\n"
    "   Unused4: 44\n"
    "   Unused5: 55\n"
    "   Unused6: 0\n"
    "   Unused7: 0\n"
    "   Unused8: 0\n"
    "   Unused9: 99\n"
    "---DATA Chunk---\n"
    "   CnkId: data\n"
    "   CnkSize: 1000\n"
    "---Additional Information---\n"
    "   WavFileDurationMillisec: 0\n";

// The literal holds a zero byte, where a C string would end: join the text
// before it, the zero byte itself, and the text after it.
std::string Expected() {
    const std::string head = kExpectedReport;  // up to the zero byte
    const std::string tail = kExpectedReport + head.size() + 1;
    return head + std::string(1, '\0') + tail;
}

TEST(Report, KnownRecordingPrintsEveryFieldAsWrittenByHand) {
    ScratchDir dir;
    WriteFileRaw("known.wav", RecordingWith(KnownHeader(), 1000));
    EXPECT_EQ(ReportOf("known.wav"), Expected());
}

TEST(Report, TextFieldsAndAudioFormats) {
    struct Case {
        const char* name;
        std::int16_t audioFormat;
        std::string nextFileName;
        std::string sn;
        const char* expectFormat;
        const char* expectName;
        const char* expectSn;
    };
    const std::string sn32(32, 'S');
    const Case cases[] = {
        {"integer, empty name", 1, "", "", "   CnkAudioFormat: 1 (Integer)\n",
         "   NextFileName: \n", "   SN: \n"},
        {"float", 3, "next.wav", "ab", "   CnkAudioFormat: 3 (Float)\n",
         "   NextFileName: next.wav\n", "   SN: ab\n"},
        {"zero format, full SN", 0, "x", sn32, "   CnkAudioFormat: 0 (WRONG FORMAT)\n",
         "   NextFileName: x\n", "   SN: SSSSSSSSSSSSSSSSSSSSSSSSSSSSSSSS\n"},
        {"stops at the first NUL", 2, std::string("ab\0cd", 5), std::string("q\0r", 3),
         "   CnkAudioFormat: 2 (WRONG FORMAT)\n", "   NextFileName: ab\n", "   SN: q\n"},
    };
    ScratchDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingHeader h = sample::MakeHeader(0);
        h.Fmt.AudioFormat.Set(c.audioFormat);
        sample::SetText(h.Auxi.NextFileName, 96, c.nextFileName);
        sample::SetText(h.Orva.SN, 32, c.sn);
        h.Orva.RxMode = 0x7E;  // the byte after a 32-byte SN must not show
        WriteFileRaw("t.wav", RecordingWith(h, 0));
        const std::string report = ReportOf("t.wav");
        EXPECT_NE(report.find(c.expectFormat), std::string::npos) << report;
        EXPECT_NE(report.find(c.expectName), std::string::npos) << report;
        EXPECT_NE(report.find(c.expectSn), std::string::npos) << report;
    }
}

}  // namespace
}  // namespace kalimber::test

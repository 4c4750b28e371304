// Prints the RIFF, FMT, AUXI, ORVA and DATA sections of a header image, and
// the additional-information section with the check's verdict.
#include "header/header_report.h"

#include <cstring>
#include <string>

#include "header/check.h"
#include "header/print.h"
#include "header/recording_header.h"
#include "platform/platform.h"
#include "platform/unicode.h"

namespace kalimber {
namespace {

void PrintId(const char* label, const ChunkId& id, ShownText shown) {
    if (shown == ShownText::Escaped) {
        const std::string bytes(reinterpret_cast<const char*>(id.data()), id.size());
        Print("%s%s\n", label, EscapeControls(bytes).c_str());
        return;
    }
    // Each byte is passed as one character: a zero byte is written as a zero byte.
    Print("%s%c%c%c%c\n", label, id[0], id[1], id[2], id[3]);
}

// Text fields end at their first NUL and never run past their width.
template <std::size_t Width>
void PrintText(const char* format, const std::uint8_t (&field)[Width], ShownText shown) {
    static_assert(Width < 128);
    char scratch[128] = {};
    std::memcpy(scratch, field, Width);
    Print(format, shown == ShownText::Escaped ? EscapeControls(scratch).c_str() : scratch);
}

const char* AudioFormatName(int format) {
    switch (format) {
        case 1:
            return "(Integer)\n";
        case 3:
            return "(Float)\n";
        default:
            return "(WRONG FORMAT)\n";
    }
}

void PrintRiff(const RiffChunk& c, ShownText shown) {
    Print("---RIFF Chunk---\n");
    PrintId("   CnkId: ", c.Id, shown);
    Print("   CnkSize: %u\n", c.Size.Get());
    PrintId("   CnkFormat: ", c.Format, shown);
}

void PrintFmt(const FmtChunk& c, ShownText shown) {
    Print("---FMT Chunk---\n");
    PrintId("   CnkId: ", c.Id, shown);
    Print("   CnkSize: %u\n", c.Size.Get());
    const int audioFormat = c.AudioFormat.Get();
    Print("   CnkAudioFormat: %d ", audioFormat);
    Print("%s", AudioFormatName(audioFormat));
    Print("   CnkNumChan: %d\n", int{c.NumChannels.Get()});
    Print("   CnkSampleRate: %u\n", c.SampleRate.Get());
    Print("   CnkByteRate: %u\n", c.ByteRate.Get());
    Print("   CnkBlockAlign: %d\n", int{c.BlockAlign.Get()});
    Print("   CnkBitPerSample %d\n", int{c.BitPerSample.Get()});
}

void PrintAuxi(const AuxiChunk& c, ShownText shown) {
    Print("---AUXI Chunk---\n");
    PrintId("   CnkId: ", c.Id, shown);
    Print("   CnkSize: %u\n", c.Size.Get());
    PrintTime(StartTimeLine, c.StartTime);
    PrintTime(StopTimeLine, c.StopTime);
    Print("   CenterFreq: %u\n", c.CenterFreq.Get());
    Print("   ADFrequency: %u\n", c.ADFrequency.Get());
    Print("   IFFrequency: %u\n", c.IFFrequency.Get());
    Print("   Bandwidth: %u\n", c.Bandwidth.Get());
    Print("   IQOffset: %u\n", c.IQOffset.Get());
    Print("   DBOffset: %u\n", c.DBOffset.Get());
    Print("   MaxVal: %u\n", c.MaxVal.Get());
    Print("   Unused4: %u\n", c.Unused4.Get());
    Print("   Unused5: %u\n", c.Unused5.Get());
    PrintText("   NextFileName: %s\n", c.NextFileName, shown);
}

void PrintOrva(const OrvaChunk& c, ShownText shown) {
    Print("---ORVA Chunk---\n");
    PrintId("   CnkId: ", c.Id, shown);
    Print("   CnkSize: %u\n", c.Size.Get());
    Print("   LocalToUTC: %d\n", static_cast<int>(c.LocalToUTC.Get()));
    Print("   LastDemodFreq: %d\n", static_cast<int>(c.LastDemodFreq.Get()));
    Print("   LastDemodBw: %u\n", c.LastDemodBw.Get());
    Print("   LastDemodMode: %u\n", unsigned{c.LastDemodMode.Get()});
    Print("   Filter: %u\n", unsigned{c.Filter});
    Print("   Attenuator: %u\n", unsigned{c.Attenuator});
    Print("   VID: %04X\n", unsigned{c.VID.Get()});
    Print("   PID: %04X\n", unsigned{c.PID.Get()});
    PrintText("   SN: %s\n", c.SN, shown);
    Print("   RxMode: %u\n", unsigned{c.RxMode});
    Print("   Options1: %u\n", unsigned{c.Options1});
    Print("   Options2: %u\n", unsigned{c.Options2});
    Print("   Version: %u\n", unsigned{c.Version});
    Print("   Unused1: %u\n", c.Unused1.Get());
    Print("   Unused2: %u\n", c.Unused2.Get());
    Print("   Unused3: %u\n", c.Unused3.Get());
    Print("   Unused4: %u\n", c.Unused4.Get());
    Print("   Unused5: %u\n", c.Unused5.Get());
    Print("   Unused6: %u\n", c.Unused6.Get());
    Print("   Unused7: %u\n", c.Unused7.Get());
    Print("   Unused8: %u\n", c.Unused8.Get());
    Print("   Unused9: %u\n", c.Unused9.Get());
}

void PrintData(const DataChunkHeader& c, ShownText shown) {
    Print("---DATA Chunk---\n");
    PrintId("   CnkId: ", c.Id, shown);
    Print("   CnkSize: %u\n", c.Size.Get());
}

void PrintPath(const char* stored, ShownText shown) {
    const std::string escaped = shown == ShownText::Escaped ? EscapeControls(stored) : "";
    const char* path = shown == ShownText::Escaped ? escaped.c_str() : stored;
    std::FILE* out = OutputStream();
    if (!g_Platform.IsConsole(out)) {
        Print("%s\n", path);
        return;
    }
    std::u16string characters;
    if (!Utf8ToUtf16(path, characters)) {
        characters = g_Platform.DecodeAnsi(path);
    }
    g_Platform.WriteConsoleLine(out, characters);
}

}  // namespace

void PrintTime(const char* format, const TimeStamp& t) {
    Print(format, unsigned{t.Year.Get()}, unsigned{t.Month.Get()}, unsigned{t.Day.Get()},
          unsigned{t.Hour.Get()}, unsigned{t.Minute.Get()}, unsigned{t.Second.Get()},
          unsigned{t.Millisecond.Get()});
}

void PrintSelectedFile(const char* path, ShownText shown) {
    Print("Selected file: \n");
    PrintPath(path, shown);
    Print("\n%s\n", RuleLine);
}

void PrintAdditionalLines(RecordingCheck check, std::uint32_t wavFileDurationMillisec) {
    Print("---Additional Information---\n");
    switch (check) {
        case RecordingCheck::NotOrva:
            Print("This is not an ORVA .wav file!!!\n");
            return;
        case RecordingCheck::UnsupportedVersion:
            Print("This is not a supported ORVA .wav file!!!\n");
            return;
        case RecordingCheck::Ok:
        case RecordingCheck::Truncated:  // the run reports the bytes it has
            break;
    }
    Print("   WavFileDurationMillisec: %u\n", wavFileDurationMillisec);
}

void PrintHeaderSections(const RecordingHeader& header, ShownText shown) {
    PrintRiff(header.Riff, shown);
    PrintFmt(header.Fmt, shown);
    PrintAuxi(header.Auxi, shown);
    PrintOrva(header.Orva, shown);
    PrintData(header.Data, shown);
}

}  // namespace kalimber

/* The benchmark's floor: the least a C program can do for the same report.
   It takes the path from ToDoWave.txt, opens the recording "rb+", does the
   five positioned reads, writes each report line with its own write, seeks
   to the end for the size, then idles like the tool. */
#define _FILE_OFFSET_BITS 64
#include <stdint.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>

static unsigned char h[316];

static void line(const char *format, ...) __attribute__((format(printf, 1, 2)));

#include <stdarg.h>
static void line(const char *format, ...) {
    char text[256];
    va_list args;
    va_start(args, format);
    int n = vsnprintf(text, sizeof text, format, args);
    va_end(args);
    if (n > 0 && write(STDOUT_FILENO, text, (size_t)n) < 0) {
        return;
    }
}

static unsigned u16(int o) { return (unsigned)(h[o] | h[o + 1] << 8); }
static int i16(int o) { return (int16_t)u16(o); }
static unsigned u32(int o) { return (unsigned)h[o] | (unsigned)h[o + 1] << 8 | (unsigned)h[o + 2] << 16 | (unsigned)h[o + 3] << 24; }
static void id(const char *label, int o) { line("   %s: %c%c%c%c\n", label, h[o], h[o + 1], h[o + 2], h[o + 3]); }
static void stamp(const char *label, int o) {
    line("   %s%u/%u/%u  %u:%u:%u:%u\n", label, u16(o), u16(o + 2), u16(o + 6), u16(o + 8), u16(o + 10), u16(o + 12), u16(o + 14));
}

int main(void) {
    static const char rule[] = "*-*-*-*-*-*-*-*-*-*-*-*-*-*-*-*-*-*-*-*-*-*-*-*-*\n";
    char path[1024] = "";
    FILE *commands = fopen("ToDoWave.txt", "r");
    if (commands == NULL || fgets(path, sizeof path, commands) == NULL) {
        return 1;
    }
    path[strcspn(path, "\n")] = 0;
    line("%sORVA Kalimber Ver: 1.0\n%s\n", rule, rule);
    FILE *f = fopen(path, "rb+");
    if (f == NULL) {
        line("fopen ERROR\n");
        for (;;) pause();
    }
    line("Selected file: \n%s\n\n%s\n", path, rule);
    static const int at[5][2] = {{0, 12}, {12, 24}, {36, 172}, {208, 100}, {308, 8}};
    for (int i = 0; i < 5; ++i) {
        fseeko(f, at[i][0], SEEK_SET);
        if (fread(h + at[i][0], 1, (size_t)at[i][1], f) == 0) {
            break;
        }
    }
    char text[129];
    line("---RIFF Chunk---\n"); id("CnkId", 0); line("   CnkSize: %u\n", u32(4)); id("CnkFormat", 8);
    line("---FMT Chunk---\n"); id("CnkId", 12); line("   CnkSize: %u\n", u32(16));
    line("   CnkAudioFormat: %d %s", i16(20), i16(20) == 1 ? "(Integer)\n" : i16(20) == 3 ? "(Float)\n" : "(WRONG FORMAT)\n");
    line("   CnkNumChan: %d\n", i16(22)); line("   CnkSampleRate: %u\n", u32(24)); line("   CnkByteRate: %u\n", u32(28));
    line("   CnkBlockAlign: %d\n", i16(32)); line("   CnkBitPerSample %d\n", i16(34));
    line("---AUXI Chunk---\n"); id("CnkId", 36); line("   CnkSize: %u\n", u32(40));
    stamp("StartTime: ", 44); stamp("StopTime:  ", 60);
    static const char *auxi[] = {"CenterFreq", "ADFrequency", "IFFrequency", "Bandwidth", "IQOffset", "DBOffset", "MaxVal", "Unused4", "Unused5"};
    for (int i = 0; i < 9; ++i) line("   %s: %u\n", auxi[i], u32(76 + 4 * i));
    memset(text, 0, sizeof text); memcpy(text, h + 112, 96); line("   NextFileName: %s\n", text);
    line("---ORVA Chunk---\n"); id("CnkId", 208); line("   CnkSize: %u\n", u32(212));
    line("   LocalToUTC: %d\n", (int32_t)u32(216)); line("   LastDemodFreq: %d\n", (int32_t)u32(220));
    line("   LastDemodBw: %u\n", u32(224)); line("   LastDemodMode: %u\n", u16(228));
    line("   Filter: %u\n", h[230]); line("   Attenuator: %u\n", h[231]);
    line("   VID: %04X\n", u16(232)); line("   PID: %04X\n", u16(234));
    memset(text, 0, sizeof text); memcpy(text, h + 236, 32); line("   SN: %s\n", text);
    line("   RxMode: %u\n", h[268]); line("   Options1: %u\n", h[269]); line("   Options2: %u\n", h[270]); line("   Version: %u\n", h[271]);
    for (int i = 0; i < 9; ++i) line("   Unused%d: %u\n", i + 1, u32(272 + 4 * i));
    line("---DATA Chunk---\n"); id("CnkId", 308); line("   CnkSize: %u\n", u32(312));
    line("---Additional Information---\n");
    fseeko(f, 0, SEEK_END);
    long long size = (long long)ftello(f);
    long long blocks = (size - 316) / (i16(32) * 3072 != 0 ? i16(32) * 3072 : 1);
    uint64_t millisec = (uint64_t)blocks * 1000u * 3072u / (u32(24) ? u32(24) : 1u);
    line("   WavFileDurationMillisec: %u\n", (unsigned)millisec);
    for (;;) pause();
}

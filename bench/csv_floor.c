/* The command line's floor: the least a C program can do for the output of
   kalimber --csv DIR over well-formed recordings with plain names, byte for
   byte and in the same order. It lists the folder, sorts the names as the
   tool does (bytewise), and for each .wav opens it, reads its 316 bytes,
   takes its size with a seek to the end, closes it and writes its row. Like
   the tool, each row goes out in one write before the next file is opened. */
#define _FILE_OFFSET_BITS 64
#include <dirent.h>
#include <fcntl.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

static unsigned u16(const unsigned char *h, int o) {
    return (unsigned)h[o] | (unsigned)h[o + 1] << 8;
}

static unsigned u32(const unsigned char *h, int o) {
    return u16(h, o) | u16(h, o + 2) << 16;
}

/* A time stamp of eight 16-bit fields: YYYY-MM-DD hh:mm:ss.mmm, the day of week left out. */
static void put_time(char *out, size_t size, const unsigned char *h, int o) {
    snprintf(out, size, "%04u-%02u-%02u %02u:%02u:%02u.%03u", u16(h, o), u16(h, o + 2), u16(h, o + 6), u16(h, o + 8),
             u16(h, o + 10), u16(h, o + 12), u16(h, o + 14));
}

/* A text field up to its first NUL. */
static void put_text(char *out, const unsigned char *h, int o, int length) {
    memcpy(out, h + o, (size_t)length);
    out[length] = 0;
}

static int by_name(const void *a, const void *b) {
    return strcmp(*(char *const *)a, *(char *const *)b);
}

int main(int argc, char **argv) {
    if (argc != 2) {
        return 2;
    }
    DIR *dir = opendir(argv[1]);
    if (dir == NULL) {
        return 1;
    }
    size_t count = 0, room = 1024;
    char **names = malloc(room * sizeof *names);
    struct dirent *e;
    while (names != NULL && (e = readdir(dir)) != NULL) {
        const size_t n = strlen(e->d_name);
        if (n < 4 || strcmp(e->d_name + n - 4, ".wav") != 0) {
            continue;
        }
        if (count == room) {
            char **more = realloc(names, (room *= 2) * sizeof *names);
            if (more == NULL) {
                return 1;
            }
            names = more;
        }
        names[count++] = strdup(e->d_name);
    }
    closedir(dir);
    if (names == NULL) {
        return 1;
    }
    qsort(names, count, sizeof *names, by_name);
    printf("path,size,Check,WavFileDurationMillisec,StartTime,StopTime,CenterFreq,Bandwidth,CnkSampleRate,"
           "CnkNumChan,CnkBitPerSample,CnkAudioFormat,SN,NextFileName,error\n");
    fflush(stdout);
    char path[4096], start[48], stop[48], sn[33], next[97];
    for (size_t i = 0; i < count; ++i) {
        snprintf(path, sizeof path, "%s/%s", argv[1], names[i]);
        const int fd = open(path, O_RDONLY);
        if (fd < 0) {
            continue;
        }
        unsigned char h[316] = {0};
        if (read(fd, h, sizeof h) < 0) {
            h[0] = 0;
        }
        const long long size = (long long)lseek(fd, 0, SEEK_END);
        close(fd);
        /* Block mode 0 or 1 (bits 1 and 2 of Options1): 12288 or 3072 frames
           a block; whole blocks after the header. */
        const long long frames = (h[269] >> 1 & 3) == 0 ? 12288 : 3072;
        const long long blocks = (size - 316) / ((long long)(int16_t)u16(h, 32) * frames);
        const long long ms = (long long)((double)blocks * 1000.0 * (double)frames / (double)u32(h, 24));
        put_time(start, sizeof start, h, 44);
        put_time(stop, sizeof stop, h, 60);
        put_text(sn, h, 236, 32);
        put_text(next, h, 112, 96);
        printf("%s,%lld,ok,%lld,%s,%s,%u,%u,%u,%u,%u,%u,%s,%s,\n", path, size, ms, start, stop, u32(h, 76),
               u32(h, 88), u32(h, 24), u16(h, 22), u16(h, 34), u16(h, 20), sn, next);
        fflush(stdout);
        free(names[i]);
    }
    free(names);
    return 0;
}

/* The command line's floor: the least a C program can do for kalimber --csv
   DIR. It lists the folder, and for each .wav opens it, reads its 316 bytes,
   takes its size with a seek to the end, writes one CSV line and closes it. */
#define _FILE_OFFSET_BITS 64
#include <dirent.h>
#include <fcntl.h>
#include <stdint.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>

static unsigned u32(const unsigned char *h, int o) {
    return (unsigned)h[o] | (unsigned)h[o + 1] << 8 | (unsigned)h[o + 2] << 16 | (unsigned)h[o + 3] << 24;
}

int main(int argc, char **argv) {
    if (argc != 2) {
        return 2;
    }
    DIR *dir = opendir(argv[1]);
    if (dir == NULL) {
        return 1;
    }
    printf("path,size,CenterFreq,Bandwidth,CnkSampleRate\n");
    fflush(stdout);
    struct dirent *e;
    char path[4096];
    while ((e = readdir(dir)) != NULL) {
        const size_t n = strlen(e->d_name);
        if (n < 4 || strcmp(e->d_name + n - 4, ".wav") != 0) {
            continue;
        }
        snprintf(path, sizeof path, "%s/%s", argv[1], e->d_name);
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
        printf("%s,%lld,%u,%u,%u\n", path, size, u32(h, 76), u32(h, 88), u32(h, 24));
        fflush(stdout);
    }
    closedir(dir);
    return 0;
}

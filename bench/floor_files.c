/* SPDX-License-Identifier: MIT */
/* The least a program can do to write the files of N modules as mirel-host create
 * does: each module gets a folder of its own holding copies of the five files of a
 * sample module, each written to a temporary and renamed over its name. Times of
 * many modules in one mirel-host run are reported as a ratio to this.
 *
 *   mirel-floor-files SAMPLE_DIR STEM OUT_DIR N [nosync|sync|grouped[=G]]
 *
 * SAMPLE_DIR/STEM.* are the five files (read once, before the clock matters);
 * module i is OUT_DIR/STEM_i/STEM_i.*. "sync" (the default) makes every module
 * durable on its own: write, fdatasync and rename each file, then fsync the
 * module's folder and the folder holding it. "grouped" does the same work for G
 * modules at a time (default 16), as mirel-host commits them: write all their
 * files and start their writeback, sync them in one pass (one syncfs() when there
 * are more than eight, else fdatasync on 4 threads), rename, then sync the modules'
 * folders in one such pass and the folder holding them once. "nosync" writes and renames only. */
#define _GNU_SOURCE
#include <dirent.h>
#include <fcntl.h>
#include <pthread.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

enum { MaxFiles = 8 };

struct Sample
{
    char suffix[64]; /* the name after STEM: ".v", "_tb.v", ... */
    char *bytes;
    size_t size;
};

static struct Sample samples[MaxFiles];
static int sampleCount;

static void die(const char *what)
{
    perror(what);
    exit(1);
}

static void readSamples(const char *dir, const char *stem)
{
    DIR *d = opendir(dir);
    if (!d)
        die(dir);
    const size_t stemLength = strlen(stem);
    struct dirent *entry;
    while ((entry = readdir(d))) {
        const char *name = entry->d_name;
        const char *rest = name + stemLength;
        if (strncmp(name, stem, stemLength) != 0 || (*rest != '.' && *rest != '_'))
            continue;
        if (sampleCount == MaxFiles || strlen(rest) >= sizeof samples[0].suffix) {
            fprintf(stderr, "too many or too long names in %s\n", dir);
            exit(2);
        }
        char path[4096];
        snprintf(path, sizeof path, "%s/%s", dir, name);
        const int fd = open(path, O_RDONLY);
        struct stat info;
        if (fd < 0 || fstat(fd, &info) != 0)
            die(path);
        struct Sample *s = &samples[sampleCount++];
        strcpy(s->suffix, rest);
        s->size = (size_t) info.st_size;
        s->bytes = malloc(s->size + 1);
        if (!s->bytes || read(fd, s->bytes, s->size) != (ssize_t) s->size)
            die(path);
        close(fd);
    }
    closedir(d);
    if (sampleCount == 0) {
        fprintf(stderr, "no files %s.* or %s_* in %s\n", stem, stem, dir);
        exit(2);
    }
}

struct Module
{
    int folder;
    char stem[256];
    int files[MaxFiles];
};

static void writeAll(int fd, const char *bytes, size_t size)
{
    while (size > 0) {
        const ssize_t n = write(fd, bytes, size);
        if (n <= 0)
            die("write");
        bytes += n;
        size -= (size_t) n;
    }
}

/* Creates the module's folder and writes its temporaries; with `keep`, their
 * descriptors stay open for a later sync pass. */
static void stage(int out, const char *stem, int index, struct Module *m, int keep)
{
    snprintf(m->stem, sizeof m->stem, "%s_%d", stem, index);
    if (mkdirat(out, m->stem, 0777) != 0)
        die(m->stem);
    m->folder = openat(out, m->stem, O_RDONLY | O_DIRECTORY);
    if (m->folder < 0)
        die(m->stem);
    for (int f = 0; f < sampleCount; ++f) {
        char temporary[1024];
        snprintf(temporary, sizeof temporary, ".%s.staged-%d", m->stem, f);
        const int fd = openat(m->folder, temporary, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0)
            die(temporary);
        writeAll(fd, samples[f].bytes, samples[f].size);
        if (keep) {
            m->files[f] = fd;
        } else {
            m->files[f] = -1;
            close(fd);
        }
    }
}

static void renameAll(const struct Module *m)
{
    for (int f = 0; f < sampleCount; ++f) {
        char temporary[1024], target[1024];
        snprintf(temporary, sizeof temporary, ".%s.staged-%d", m->stem, f);
        snprintf(target, sizeof target, "%s%s", m->stem, samples[f].suffix);
        if (renameat(m->folder, temporary, m->folder, target) != 0)
            die(target);
    }
}

static void syncData(struct Module *m)
{
    for (int f = 0; f < sampleCount; ++f) {
        if (fdatasync(m->files[f]) != 0)
            die("fdatasync");
        close(m->files[f]);
    }
}

/* One pass of syncs over many descriptors, on several threads, as mirel-host makes it. */
enum { Threads = 4 };
struct Pass
{
    int *fds;
    int count;
    int data;
    int next;
    pthread_mutex_t lock;
};

static void *syncWorker(void *arg)
{
    struct Pass *pass = arg;
    for (;;) {
        pthread_mutex_lock(&pass->lock);
        const int i = pass->next++;
        pthread_mutex_unlock(&pass->lock);
        if (i >= pass->count)
            return NULL;
        if ((pass->data ? fdatasync(pass->fds[i]) : fsync(pass->fds[i])) != 0)
            die("sync");
    }
}

static void syncPass(int *fds, int count, int data)
{
    /* Many files: one syncfs() covers them, as mirel-host syncs a group (one file system here). */
    if (count > 8) {
        if (syncfs(fds[0]) != 0)
            die("syncfs");
        return;
    }
    struct Pass pass = {fds, count, data, 0, PTHREAD_MUTEX_INITIALIZER};
    pthread_t threads[Threads];
    const int n = count < Threads ? count : Threads;
    for (int t = 0; t < n; ++t)
        pthread_create(&threads[t], NULL, syncWorker, &pass);
    for (int t = 0; t < n; ++t)
        pthread_join(threads[t], NULL);
}

int main(int argc, char **argv)
{
    if (argc < 5 || argc > 6) {
        fprintf(stderr, "usage: %s SAMPLE_DIR STEM OUT_DIR N [nosync|sync|grouped[=G]]\n", argv[0]);
        return 2;
    }
    readSamples(argv[1], argv[2]);
    const int count = atoi(argv[4]);
    const char *mode = argc == 6 ? argv[5] : "sync";
    const int durable = strcmp(mode, "nosync") != 0;
    int group = 1;
    if (strncmp(mode, "grouped", 7) == 0)
        group = mode[7] == '=' ? atoi(mode + 8) : 16;
    else if (durable && strcmp(mode, "sync") != 0) {
        fprintf(stderr, "unknown mode '%s'\n", mode);
        return 2;
    }
    if (group < 1)
        group = 1;
    mkdir(argv[3], 0777);
    const int out = open(argv[3], O_RDONLY | O_DIRECTORY);
    if (out < 0)
        die(argv[3]);
    struct Module *modules = calloc((size_t) group, sizeof *modules);
    if (!modules)
        die("calloc");
    int *fds = malloc(sizeof(int) * (size_t) group * MaxFiles);
    if (!fds)
        die("malloc");
    for (int first = 0; first < count; first += group) {
        const int n = count - first < group ? count - first : group;
        for (int i = 0; i < n; ++i)
            stage(out, argv[2], first + i, &modules[i], durable);
        if (durable && group > 1) {
            int k = 0;
            for (int i = 0; i < n; ++i) {
                for (int f = 0; f < sampleCount; ++f) {
                    sync_file_range(modules[i].files[f], 0, 0, SYNC_FILE_RANGE_WRITE);
                    fds[k++] = modules[i].files[f];
                }
            }
            syncPass(fds, k, 1);
            for (int j = 0; j < k; ++j)
                close(fds[j]);
            for (int i = 0; i < n; ++i) {
                renameAll(&modules[i]);
                fds[i] = modules[i].folder;
            }
            syncPass(fds, n, 0);
        } else {
            for (int i = 0; i < n; ++i) {
                if (durable) {
                    syncData(&modules[i]);
                    renameAll(&modules[i]);
                    if (fsync(modules[i].folder) != 0)
                        die("fsync");
                } else {
                    renameAll(&modules[i]);
                }
            }
        }
        for (int i = 0; i < n; ++i)
            close(modules[i].folder);
        /* The new module folders' names are in the output folder. */
        if (durable && fsync(out) != 0)
            die("fsync");
    }
    free(fds);
    free(modules);
    close(out);
    return 0;
}

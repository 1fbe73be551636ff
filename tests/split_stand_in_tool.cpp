// SPDX-License-Identifier: GPL-3.0-or-later
// A stand-in for zipsplit that fails on purpose, so the split run's handling of a misbehaving
// tool can be tested. QM_STAND_IN selects the behaviour:
//   args        append every argument, one per line, to $QM_STAND_IN_ARGS; exit 0
//   exit:N      print a zipsplit-style error line, exit N
//   errorzero   print a zipsplit-style error line, exit 0
//   invalid     print zipsplit's error for a damaged archive, naming the archive argument; exit 3
//   flood       print zipsplit's prompt for a missing disk 100,000 times (64 MB), exit 0
//   half:N      leave half a part in the -b folder, exit N
//   hang        leave half a part, then wait; SIGTERM removes it and exits 9, as zipsplit does
//   sleep:MS    sleep, then exit 0
//   part        write one small part into the -b folder, exit 0
//   crash       leave half a part, then die of SIGKILL
//   firstpart   the first start (by $QM_STAND_IN_LOG) behaves as real, every later one as hang
//   real        run the real zipsplit with the same arguments
//   slow:MS     sleep (SIGTERM ends it as zipsplit's own handler does), then behave as real
//   trickle:MS  real, but each part reaches the -b folder in four pieces, MS apart (a slow disk)
//   drop, dup, truncate, oversize
//               real, then spoil the parts: an entry deleted from the first part, the first
//               part's first entry added to the last part, the first part cut short, a 65,000-byte
//               comment added to the first part
//   flip        real, then one byte of the first part's first entry data changed: sizes and
//               directory stay as they were
//   stubborn    leave half a part, then wait; SIGTERM exits 9 and leaves the half part behind
//   rewrite     4 KB of the archive rewritten in place, the real zipsplit, then the bytes put back
//               (a download or sync client writing the file mid-split)
// Every start appends a line to $QM_STAND_IN_LOG when that is set, and its process id to
// $QM_STAND_IN_PIDS. With $QM_STAND_IN_MARKS (a folder) each run leaves a file there while it
// runs, and at its end appends how many it saw there to $QM_STAND_IN_MARKS.seen: the most tools
// running at once.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

static std::string g_part;

static void onTerm(int)
{
    if (!g_part.empty())
        ::unlink(g_part.c_str());
    ::_exit(9);
}

static std::string outputFolder(int argc, char **argv)
{
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "-b") == 0)
            return argv[i + 1];
    return ".";
}

static void writeHalfPart(const std::string &folder)
{
    g_part = folder + "/stand-in1.zip";
    if (FILE *f = std::fopen(g_part.c_str(), "wb")) {
        std::fputs("PK\x03\x04 half a part", f);
        std::fclose(f);
    }
}

static int realZipsplit(char **argv)
{
    const pid_t child = ::fork();
    if (child == 0) {
        argv[0] = const_cast<char *>("zipsplit");
        ::execv("/usr/bin/zipsplit", argv);
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
}

// The parts zipsplit wrote into the working folder ("-b ."), first and last by name.
static int spoil(const std::string &how)
{
    const std::string first = "\"$(ls *.zip | head -n 1)\"";
    const std::string last = "\"$(ls *.zip | tail -n 1)\"";
    std::string command;
    if (how == "drop")
        command = "zip -q -d " + first + " \"$(unzip -Z1 " + first + " | head -n 1)\"";
    else if (how == "dup")
        command = "d=$(mktemp -d) && unzip -qq " + first + " \"$(unzip -Z1 " + first + " | head -n 1)\" -d \"$d\" && "
                  "p=$(pwd) && (cd \"$d\" && zip -q -r \"$p\"/" + last + " .) ; rm -rf \"$d\"";
    else if (how == "truncate")
        command = "truncate -s -200 " + first;
    else
        command = "head -c 65000 /dev/zero | tr '\\0' x | zip -q -z " + first;
    return std::system(command.c_str()) == 0 ? 0 : 1;
}

// The first part's first entry: its first stored byte changed in place.
static int flipData()
{
    FILE *names = ::popen("ls *.zip | head -n 1", "r");
    char name[4096] = "";
    const bool listed = names && std::fgets(name, sizeof name, names);
    if (names)
        ::pclose(names);
    name[std::strcspn(name, "\n")] = 0;
    const int fd = listed ? ::open(name, O_RDWR) : -1;
    unsigned char header[30], byte = 0;
    if (fd < 0 || ::pread(fd, header, sizeof header, 0) != ssize_t(sizeof header))
        return 1;
    const off_t at = 30 + (header[26] | header[27] << 8) + (header[28] | header[29] << 8);
    if (::pread(fd, &byte, 1, at) != 1)
        return 1;
    byte ^= 0x20;
    const bool written = ::pwrite(fd, &byte, 1, at) == 1;
    ::close(fd);
    return written ? 0 : 1;
}

// The real zipsplit into a folder of its own, then its parts copied into the -b folder slowly.
static int trickle(int argc, char **argv, int pauseMs)
{
    char scratch[] = "/tmp/qm-trickle-XXXXXX";
    if (!::mkdtemp(scratch))
        return 1;
    const std::string folder = outputFolder(argc, argv);
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "-b") == 0)
            argv[i + 1] = scratch;
    const int code = realZipsplit(argv);
    const std::string list = std::string("ls ") + scratch;
    FILE *names = ::popen(list.c_str(), "r");
    char name[4096];
    while (code == 0 && names && std::fgets(name, sizeof name, names)) {
        name[std::strcspn(name, "\n")] = 0;
        const std::string from = std::string(scratch) + "/" + name;
        FILE *in = std::fopen(from.c_str(), "rb");
        FILE *out = std::fopen((folder + "/" + name).c_str(), "wb");
        std::fseek(in, 0, SEEK_END);
        const long size = std::ftell(in);
        std::fseek(in, 0, SEEK_SET);
        std::string bytes(std::size_t(size), '\0');
        if (std::fread(bytes.data(), 1, bytes.size(), in) != bytes.size())
            return 1;
        for (int piece = 0; piece < 4; ++piece) {
            const std::size_t from = bytes.size() * std::size_t(piece) / 4, to = bytes.size() * std::size_t(piece + 1) / 4;
            std::fwrite(bytes.data() + from, 1, to - from, out);
            std::fflush(out);
            ::usleep(static_cast<useconds_t>(pauseMs) * 1000);
        }
        std::fclose(in);
        std::fclose(out);
        ::unlink(from.c_str());
    }
    if (names)
        ::pclose(names);
    ::rmdir(scratch);
    return code;
}

static int startsLogged()
{
    int lines = 0;
    if (const char *log = std::getenv("QM_STAND_IN_LOG")) {
        if (FILE *f = std::fopen(log, "r")) {
            for (int c; (c = std::fgetc(f)) != EOF;)
                lines += c == '\n';
            std::fclose(f);
        }
    }
    return lines;
}

static int behave(int argc, char **argv);

int main(int argc, char **argv)
{
    const char *marks = std::getenv("QM_STAND_IN_MARKS");
    const std::string mark = marks ? std::string(marks) + "/" + std::to_string(::getpid()) : std::string();
    if (marks)
        std::fclose(std::fopen(mark.c_str(), "w"));
    const int code = behave(argc, argv);
    if (marks) {
        const std::string count = std::string("ls '") + marks + "' | wc -l >>'" + marks + ".seen'";
        const int listed = std::system(count.c_str());
        ::unlink(mark.c_str());
        return listed == 0 ? code : 1;
    }
    return code;
}

static int behave(int argc, char **argv)
{
    if (const char *log = std::getenv("QM_STAND_IN_LOG")) {
        if (FILE *f = std::fopen(log, "a")) {
            std::fprintf(f, "%s\n", argc > 1 ? argv[argc - 1] : "");
            std::fclose(f);
        }
    }
    if (const char *pids = std::getenv("QM_STAND_IN_PIDS")) {
        if (FILE *f = std::fopen(pids, "a")) {
            std::fprintf(f, "%d\n", int(::getpid()));
            std::fclose(f);
        }
    }
    std::string mode = std::getenv("QM_STAND_IN") ? std::getenv("QM_STAND_IN") : "args";
    if (mode == "firstpart")
        mode = startsLogged() <= 1 ? "real" : "hang";
    if (mode.rfind("slow:", 0) == 0) {
        std::signal(SIGTERM, onTerm);
        ::usleep(static_cast<useconds_t>(std::atoi(mode.c_str() + 5)) * 1000);
        mode = "real";
    }
    if (mode == "real")
        return realZipsplit(argv);
    if (mode.rfind("trickle:", 0) == 0)
        return trickle(argc, argv, std::atoi(mode.c_str() + 8));
    if (mode == "rewrite") {
        const int fd = ::open(argv[argc - 1], O_RDWR);
        char before[4096], after[4096];
        std::memset(after, 'x', sizeof after);
        const bool read = fd >= 0 && ::pread(fd, before, sizeof before, 100) == ssize_t(sizeof before)
                          && ::pwrite(fd, after, sizeof after, 100) == ssize_t(sizeof after);
        const int code = realZipsplit(argv);
        if (read && ::pwrite(fd, before, sizeof before, 100) != ssize_t(sizeof before))
            return 1;
        return code;
    }
    if (mode == "flip") {
        const int code = realZipsplit(argv);
        return code != 0 ? code : flipData();
    }
    if (mode == "drop" || mode == "dup" || mode == "truncate" || mode == "oversize") {
        const int code = realZipsplit(argv);
        return code != 0 ? code : spoil(mode);
    }
    if (mode == "args") {
        const char *path = std::getenv("QM_STAND_IN_ARGS");
        FILE *f = path ? std::fopen(path, "ab") : nullptr;
        for (int i = 1; f && i < argc; ++i)
            std::fprintf(f, "%s\n", argv[i]);
        if (f)
            std::fclose(f);
        return 0;
    }
    if (mode.rfind("exit:", 0) == 0) {
        std::printf("zipsplit error: stand-in failure\n");
        return std::atoi(mode.c_str() + 5);
    }
    if (mode == "invalid") {
        std::printf("zipsplit error: Zip file structure invalid (%s)\n", argv[argc - 1]);
        return 3;
    }
    if (mode == "flood") {
        const std::string prompt = "Could not find or open\n  a.z02\n\nHit c      (change path to where this split "
                                   "file is)\n    q      (abort archive - quit)\n or ENTER  (try reading this "
                                   "split again): " + std::string(500, ' ') + "\n";
        for (int i = 0; i < 100000; ++i)
            std::fwrite(prompt.data(), 1, prompt.size(), stdout);
        return 0;
    }
    if (mode == "errorzero") {
        std::printf("zipsplit error: stand-in failure\n");
        return 0;
    }
    if (mode.rfind("half:", 0) == 0) {
        writeHalfPart(outputFolder(argc, argv));
        return std::atoi(mode.c_str() + 5);
    }
    if (mode == "hang") {
        std::signal(SIGTERM, onTerm);
        writeHalfPart(outputFolder(argc, argv));
        for (int i = 0; i < 600; ++i)
            ::usleep(100000);
        return 0;
    }
    if (mode == "stubborn") {
        writeHalfPart(outputFolder(argc, argv));
        std::signal(SIGTERM, [](int) { ::_exit(9); });
        for (int i = 0; i < 600; ++i)
            ::usleep(100000);
        return 0;
    }
    if (mode == "crash") {
        writeHalfPart(outputFolder(argc, argv));
        std::raise(SIGKILL);
    }
    if (mode == "part") {
        writeHalfPart(outputFolder(argc, argv));
        return 0;
    }
    if (mode.rfind("sleep:", 0) == 0) {
        ::usleep(static_cast<useconds_t>(std::atoi(mode.c_str() + 6)) * 1000);
        return 0;
    }
    return 2;
}

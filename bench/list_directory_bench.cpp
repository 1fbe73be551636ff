// SPDX-License-Identifier: GPL-3.0-or-later
// Times the archive reader's listing (a fresh cUnzip over the library, Directory, FileSize over
// every entry) against a bare libzip loop (zip_open + zip_stat_index over all entries),
// interleaved in one process. Usage:
//   bench_list_directory <archive> <runs>   medians and minimums of both, in ms
//   bench_list_directory --once <archive>    one reader listing (for whole-process timing)
//   bench_list_directory --once-libzip <archive>   one bare libzip listing, likewise
#include "archive/cUnzip.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>

#include <zip.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// The previous reader goes when the next one comes, inside the timing.
std::int64_t readerLargest(const std::shared_ptr<qm::UnzipLibrary> &library, const QString &path,
                           std::shared_ptr<qm::cUnzip> &reader, std::int32_t &count)
{
    reader = std::make_shared<qm::cUnzip>(library);
    reader->setZipFile(path);
    reader->Directory();
    std::int64_t largest = 0;
    count = reader->FileCount();
    for (std::int32_t i = 1; i <= count; ++i)
        largest = std::max(largest, reader->FileSize(i));
    return largest;
}

std::int64_t libzipLargest(const QByteArray &path, std::int64_t &count)
{
    int error = 0;
    zip_t *archive = zip_open(path.constData(), ZIP_RDONLY, &error);
    if (!archive)
        return -1;
    count = zip_get_num_entries(archive, 0);
    std::int64_t largest = 0;
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t st;
        if (zip_stat_index(archive, static_cast<zip_uint64_t>(i), 0, &st) == 0)
            largest = std::max<std::int64_t>(largest, static_cast<std::int64_t>(st.comp_size));
    }
    zip_discard(archive);
    return largest;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    QElapsedTimer phase;
    phase.start();
    QCoreApplication app(argc, argv);
    const auto library = std::make_shared<qm::UnzipLibrary>();
    std::shared_ptr<qm::cUnzip> reader;
    if (argc == 3 && QByteArray(argv[1]) == "--once") {
        const double startUp = phase.nsecsElapsed() / 1e6;
        phase.restart();
        std::int32_t count = 0;
        const std::int64_t largest = readerLargest(library, QFile::decodeName(argv[2]), reader, count);
        const double listing = phase.nsecsElapsed() / 1e6;
        phase.restart();
        reader.reset();
        const double release = phase.nsecsElapsed() / 1e6;
        std::printf("%d %lld\n", count, static_cast<long long>(largest));
        std::fprintf(stderr, "start-up %.1f ms, cold listing %.1f ms, release %.1f ms\n", startUp,
                     listing, release);
        return count > 0 ? 0 : 1;
    }
    if (argc == 3 && QByteArray(argv[1]) == "--once-libzip") {
        std::int64_t count = 0;
        const std::int64_t largest = libzipLargest(QByteArray(argv[2]), count);
        std::printf("%lld %lld\n", static_cast<long long>(count), static_cast<long long>(largest));
        return count > 0 ? 0 : 1;
    }
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <archive> <runs> | --once <archive>\n", argv[0]);
        return 2;
    }
    const QString path = QFile::decodeName(argv[1]);
    const QByteArray encoded = QFile::encodeName(path);
    const int runs = std::max(1, atoi(argv[2]));
    std::vector<double> ours;
    std::vector<double> bare;
    std::int32_t ourCount = 0;
    std::int64_t bareCount = 0;
    std::int64_t ourLargest = 0;
    std::int64_t bareLargest = 0;
    readerLargest(library, path, reader, ourCount); // load the library, warm the caches
    libzipLargest(encoded, bareCount);
    for (int r = 0; r < runs; ++r) {
        QElapsedTimer timer;
        timer.start();
        bareLargest = libzipLargest(encoded, bareCount);
        bare.push_back(timer.nsecsElapsed() / 1e6);
        timer.restart();
        ourLargest = readerLargest(library, path, reader, ourCount);
        ours.push_back(timer.nsecsElapsed() / 1e6);
    }
    reader.reset();
    std::printf("entries %d %lld largest %lld %lld\n", ourCount, static_cast<long long>(bareCount),
                static_cast<long long>(ourLargest), static_cast<long long>(bareLargest));
    std::printf("cunzip %.2f %.2f\n", median(ours), *std::min_element(ours.begin(), ours.end()));
    std::printf("libzip %.2f %.2f\n", median(bare), *std::min_element(bare.begin(), bare.end()));
    return (ourCount == bareCount && ourLargest == bareLargest) ? 0 : 1;
}

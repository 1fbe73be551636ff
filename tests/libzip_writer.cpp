// SPDX-License-Identifier: GPL-3.0-or-later
// Writes an archive the way programs built on libzip do, for the split tests.
// usage: libzip_writer OUT COUNT SIZE   (COUNT deflated text entries of SIZE bytes)
#include <zip.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

int main(int argc, char **argv)
{
    if (argc != 4)
        return 2;
    const int count = std::atoi(argv[2]);
    const std::size_t size = std::strtoul(argv[3], nullptr, 10);
    int error = 0;
    zip_t *archive = zip_open(argv[1], ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!archive)
        return 1;
    std::vector<std::string> contents(static_cast<std::size_t>(count));
    unsigned seed = 12345;
    for (int i = 0; i < count; ++i) {
        std::string &text = contents[static_cast<std::size_t>(i)];
        while (text.size() < size) {
            seed = seed * 1103515245u + 12345u;
            text += "word" + std::to_string(seed % 97) + ' ';
        }
        text.resize(size);
        zip_source_t *source = zip_source_buffer(archive, text.data(), text.size(), 0);
        const std::string name = "libzip/entry" + std::to_string(i) + ".txt";
        if (!source || zip_file_add(archive, name.c_str(), source, ZIP_FL_ENC_UTF_8) < 0) {
            zip_source_free(source);
            zip_discard(archive);
            return 1;
        }
    }
    return zip_close(archive) == 0 ? 0 : 1;
}

// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the content of the sample archives into a staging folder, one sub-folder per archive.
// Everything comes from a fixed seed, so every build zips the same bytes.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Random
{
    std::uint64_t state;
    std::uint64_t next()
    {
        state ^= state >> 12;
        state ^= state << 25;
        state ^= state >> 27;
        return state * 0x2545F4914F6CDD1DULL;
    }
};

void writeFile(const fs::path &path, const std::string &content)
{
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path.string());
}

std::string prose(Random &rng, int words)
{
    static const char *const vocabulary[] = {
        "archive", "letter", "harbour", "winter", "ledger", "meadow", "quill", "lantern", "river",
        "journey", "parcel", "morning", "garden", "copper", "whistle", "orchard", "timber", "signal",
        "pebble", "weather", "market", "needle", "stone", "ribbon", "candle", "window", "answer"};
    const auto count = sizeof(vocabulary) / sizeof(vocabulary[0]);
    std::string text;
    for (int i = 0; i < words; ++i) {
        text += vocabulary[rng.next() % count];
        text += (i % 12 == 11) ? ".\n" : " ";
    }
    return text + "\n";
}

// Noise does not compress, so the archive keeps about the size of its entries.
std::string noise(Random &rng, std::size_t bytes)
{
    std::string data(bytes, '\0');
    for (std::size_t i = 0; i < bytes; i += 8) {
        const std::uint64_t v = rng.next();
        for (std::size_t k = 0; k < 8 && i + k < bytes; ++k)
            data[i + k] = static_cast<char>((v >> (8 * k)) & 0xff);
    }
    return data;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s STAGING_FOLDER\n", argv[0]);
        return 2;
    }
    const fs::path root = argv[1];
    Random rng{0x51A7E5EEDULL};
    try {
        fs::remove_all(root);

        const fs::path letters = root / "Letters";
        writeFile(letters / "readme.txt", "Sample letters for trying out Quillmere.\n");
        for (int i = 1; i <= 4; ++i)
            writeFile(letters / "2015" / ("letter-0" + std::to_string(i) + ".txt"), prose(rng, 400 + 150 * i));
        writeFile(letters / "2015" / "drafts" / "unsent.txt", prose(rng, 300));

        const fs::path photos = root / "Photos";
        for (int i = 1; i <= 6; ++i)
            writeFile(photos / (i <= 3 ? "spring" : "autumn") / ("photo-" + std::to_string(i) + ".raw"),
                      noise(rng, 40000 + 9000 * static_cast<std::size_t>(i)));
        writeFile(photos / "index.txt", prose(rng, 120));

        const fs::path reports = root / "Reports";
        for (int q = 1; q <= 4; ++q) {
            std::string csv = "region,month,amount\n";
            for (int row = 0; row < 300; ++row)
                csv += "region-" + std::to_string(rng.next() % 9) + "," + std::to_string(1 + row % 12) + ","
                       + std::to_string(rng.next() % 100000) + "\n";
            writeFile(reports / "quarters" / ("q" + std::to_string(q) + ".csv"), csv);
        }

        // Twelve entries of 300 KB: "1" MB per part gives four parts, "5" parts gives five.
        const fs::path backup = root / "Backup";
        writeFile(backup / "README.txt", prose(rng, 80));
        for (int i = 1; i <= 12; ++i) {
            const std::string name = (i < 10 ? "blob-0" : "blob-") + std::to_string(i) + ".bin";
            writeFile(backup / "data" / (i <= 6 ? "a" : "b") / name, noise(rng, 300 * 1024));
        }
    } catch (const std::exception &e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}

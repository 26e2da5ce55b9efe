#include "settings/preferences_store.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "platform/io/byte_io.h"
#include "platform/io/file_io.h"
#include "support/test_home.h"

namespace tnx::settings {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes valueOf(size_t length, uint8_t seed) {
    Bytes v(length);
    for (size_t i = 0; i < length; ++i) v[i] = uint8_t(seed + i * 7);
    return v;
}

// The stored value, or nothing when getBinary does not answer 0.
std::optional<Bytes> get(const PreferencesStore& store, const char* key, size_t capacity = 4096) {
    Bytes buffer(capacity);
    uint32_t length = uint32_t(buffer.size());
    if (store.getBinary(key, buffer.data(), &length) != PreferencesStore::kOk) return std::nullopt;
    buffer.resize(length);
    return buffer;
}

void set(PreferencesStore& store, const char* key, const Bytes& value) {
    static const uint8_t none = 0;  // an empty value still needs a pointer
    const uint8_t* data = value.empty() ? &none : value.data();
    ASSERT_EQ(store.setBinary(key, data, uint32_t(value.size())), PreferencesStore::kOk);
}

class PreferencesStoreTest : public ::testing::Test {
protected:
    test::TestHome home;
    std::filesystem::path path = home.file("pref.ini");
};

TEST_F(PreferencesStoreTest, MissingFileGivesAnEmptyStoreThatWritesAndReopens) {
    PreferencesStore store;
    store.open(path);
    EXPECT_EQ(store.entryCount(), 0u);
    EXPECT_EQ(store.path(), path);
    uint32_t length = 4;
    uint8_t buf[4];
    EXPECT_EQ(store.getBinary("cwindowoptions", buf, &length), PreferencesStore::kNotFound);

    set(store, "cwindowoptions", valueOf(200, 1));
    set(store, "saveccamera_m_fMcontrol", valueOf(4, 2));
    set(store, "empty", Bytes{});
    ASSERT_TRUE(store.write());

    auto image = io::readWholeFile(path);
    ASSERT_TRUE(image);
    ASSERT_EQ(*image, store.serialize());
    const size_t blob = 15 + 200 + 24 + 4 + 6;
    EXPECT_EQ(image->size(), 412 + 12 * 3 + blob);
    EXPECT_EQ(io::loadU32(image->data()), image->size());
    EXPECT_EQ(io::loadU32(image->data() + 404), 3u);
    EXPECT_EQ(io::loadU32(image->data() + 408), blob);
    for (size_t i = 4; i < 404; ++i) ASSERT_EQ((*image)[i], 0) << i;
    // First entry: key at 0, its value right after the key's NUL.
    EXPECT_EQ(io::loadU32(image->data() + 412), 0u);
    EXPECT_EQ(io::loadU32(image->data() + 416), 200u);
    EXPECT_EQ(io::loadU32(image->data() + 420), 15u);

    PreferencesStore again;
    again.open(path);
    EXPECT_EQ(again.entryCount(), 3u);
    EXPECT_EQ(get(again, "cwindowoptions"), valueOf(200, 1));
    EXPECT_EQ(get(again, "SAVECCAMERA_M_FMCONTROL"), valueOf(4, 2));  // keys ignore case
    EXPECT_EQ(get(again, "empty"), Bytes{});
}

TEST_F(PreferencesStoreTest, GetBinaryArgumentAndSizeRules) {
    PreferencesStore store;
    store.open(path);
    set(store, "g_strBtstatus", valueOf(400, 3));

    Bytes buffer(399, 0xAB);
    uint32_t length = 399;
    EXPECT_EQ(store.getBinary("g_strBtstatus", buffer.data(), &length), PreferencesStore::kBufferTooSmall);
    EXPECT_EQ(buffer, Bytes(399, 0xAB));
    EXPECT_EQ(length, 399u);

    length = 0;
    EXPECT_EQ(store.getBinary("g_strBtstatus", nullptr, &length), PreferencesStore::kBadArgument);
    length = 10;
    EXPECT_EQ(store.getBinary("g_strBtstatus", nullptr, &length), PreferencesStore::kBadArgument);
    EXPECT_EQ(store.getBinary(nullptr, buffer.data(), &length), PreferencesStore::kBadArgument);
    EXPECT_EQ(store.getBinary("g_strBtstatus", buffer.data(), nullptr), PreferencesStore::kBadArgument);
    length = 399;
    EXPECT_EQ(store.getBinary("g_strBtstatu", buffer.data(), &length), PreferencesStore::kNotFound);
    EXPECT_EQ(store.getBinary("g_strBtstatusX", buffer.data(), &length), PreferencesStore::kNotFound);

    Bytes big(1000, 0);
    length = 1000;
    EXPECT_EQ(store.getBinary("G_STRBTSTATUS", big.data(), &length), PreferencesStore::kOk);
    EXPECT_EQ(length, 400u);
    EXPECT_EQ(Bytes(big.begin(), big.begin() + 400), valueOf(400, 3));
    EXPECT_EQ(big[400], 0);

    EXPECT_EQ(store.setBinary(nullptr, big.data(), 4), PreferencesStore::kBadArgument);
    EXPECT_EQ(store.setBinary("x", nullptr, 0), PreferencesStore::kBadArgument);
    EXPECT_EQ(store.entryCount(), 1u);
}

TEST_F(PreferencesStoreTest, ResizingAValueKeepsEveryOtherKeyReadable) {
    PreferencesStore store;
    store.open(path);
    const char* keys[] = {"cwindowoptions", "cwindowstatus", "saveccamera", "City List", "Help"};
    for (int i = 0; i < 5; ++i) set(store, keys[i], valueOf(20 + i * 10, uint8_t(i)));

    auto checkOthers = [&](int changed) {
        for (int i = 0; i < 5; ++i) {
            if (i == changed) continue;
            EXPECT_EQ(get(store, keys[i]), valueOf(20 + i * 10, uint8_t(i))) << keys[i];
        }
    };
    set(store, "cwindowstatus", valueOf(500, 99));  // longer
    EXPECT_EQ(get(store, "cwindowstatus"), valueOf(500, 99));
    checkOthers(1);
    set(store, "Cwindowstatus", valueOf(3, 77));    // shorter, key in other case
    EXPECT_EQ(get(store, "cwindowstatus"), valueOf(3, 77));
    checkOthers(1);
    set(store, "help", valueOf(0, 0));             // the last one, to nothing
    EXPECT_EQ(get(store, "Help"), Bytes{});
    set(store, "help", valueOf(60, 4));
    checkOthers(1);
    set(store, "cwindowoptions", valueOf(20, 50));  // same length: overwritten in place
    EXPECT_EQ(get(store, "cwindowoptions"), valueOf(20, 50));
    EXPECT_EQ(store.entryCount(), 5u);
    EXPECT_EQ(store.blobLength(), 15u + 20 + 14 + 3 + 12 + 40 + 10 + 50 + 5 + 60);

    // The file it writes is well formed: the reopened store agrees.
    ASSERT_TRUE(store.write());
    PreferencesStore again;
    again.open(path);
    ASSERT_EQ(again.entryCount(), 5u);
    for (const char* key : keys) EXPECT_EQ(get(again, key), get(store, key)) << key;
}

TEST_F(PreferencesStoreTest, ManyKeysGrowBothArrays) {
    PreferencesStore store;
    store.open(path);
    EXPECT_EQ(store.entryCapacity(), 100u);
    EXPECT_EQ(store.blobCapacity(), 52000u);
    for (int i = 0; i < 250; ++i) {
        std::string key = "key" + std::to_string(i);
        set(store, key.c_str(), valueOf(500, uint8_t(i)));
        ASSERT_LE(store.entryCount(), store.entryCapacity());
        ASSERT_LE(store.blobLength(), store.blobCapacity());
    }
    EXPECT_EQ(store.entryCapacity(), 300u);
    EXPECT_GT(store.blobCapacity(), 52000u);
    // A value larger than all the slack forces one more step.
    size_t before = store.blobCapacity();
    set(store, "key7", valueOf(before, 1));
    EXPECT_EQ(store.blobCapacity(), store.blobLength() + 65536);

    ASSERT_TRUE(store.write());
    PreferencesStore again;
    again.open(path);
    ASSERT_EQ(again.entryCount(), 250u);
    EXPECT_EQ(again.entryCapacity(), 350u);
    EXPECT_EQ(again.blobCapacity(), again.blobLength() + 65536u);
    for (int i = 0; i < 250; ++i) {
        std::string key = "KEY" + std::to_string(i);
        EXPECT_EQ(get(again, key.c_str(), i == 7 ? before : 4096), i == 7 ? valueOf(before, 1) : valueOf(500, uint8_t(i))) << key;
    }
}

// A valid two-entry image to damage.
Bytes validImage() {
    PreferencesStore store;
    EXPECT_EQ(store.setBinary("alpha", "AAAA", 4), 0);
    EXPECT_EQ(store.setBinary("beta", "BB", 2), 0);
    return store.serialize();
}

TEST_F(PreferencesStoreTest, CorruptOrTruncatedFilesLeaveTheStoreEmpty) {
    const Bytes good = validImage();
    auto opens = [&](const Bytes& image) {
        std::ofstream(path, std::ios::binary | std::ios::trunc)
            .write(reinterpret_cast<const char*>(image.data()), std::streamsize(image.size()));
        PreferencesStore store;
        store.open(path);
        return store.entryCount();
    };
    ASSERT_EQ(opens(good), 2u);

    for (size_t n = 0; n < good.size(); ++n) {
        EXPECT_EQ(opens(Bytes(good.begin(), good.begin() + n)), 0u) << "cut at " << n;
    }
    auto damaged = [&](size_t at, uint32_t value) {
        Bytes b = good;
        io::storeU32(b.data() + at, value);
        return b;
    };
    const size_t entry0 = 412, entry1 = 424;
    EXPECT_EQ(opens(damaged(404, 3)), 0u);                 // count beyond the file
    EXPECT_EQ(opens(damaged(404, 0x40000000)), 0u);        // count that overflows 32 bits when scaled
    EXPECT_EQ(opens(damaged(408, 0xFFFFFFF0)), 0u);        // blob length beyond the file
    EXPECT_EQ(opens(damaged(entry1, 500)), 0u);            // key offset outside the blob
    EXPECT_EQ(opens(damaged(entry0 + 4, 1000)), 0u);       // value running past the blob
    EXPECT_EQ(opens(damaged(entry0 + 8, 0xFFFFFFFE)), 0u); // value offset outside the blob
    EXPECT_EQ(opens(damaged(entry1, 0)), 0u);              // two entries sharing bytes

    // A key without its NUL at the very end of the blob.
    Bytes noNul = good;
    noNul.resize(noNul.size() - 2);                        // drop "BB"
    noNul.back() = 'x';                                    // and the NUL of "beta"
    io::storeU32(noNul.data() + 408, io::loadU32(noNul.data() + 408) - 2);
    io::storeU32(noNul.data() + entry1 + 4, 0);
    io::storeU32(noNul.data() + entry1 + 8, io::loadU32(noNul.data() + 408));
    EXPECT_EQ(opens(noNul), 0u);

    // After a corrupt file the store works normally and writes a good file.
    ASSERT_TRUE(io::writeFileAtomically(path, damaged(404, 3)));
    PreferencesStore store;
    store.open(path);
    set(store, "fresh", valueOf(8, 5));
    ASSERT_TRUE(store.write());
    PreferencesStore again;
    again.open(path);
    EXPECT_EQ(again.entryCount(), 1u);
    EXPECT_EQ(get(again, "fresh"), valueOf(8, 5));
}

TEST_F(PreferencesStoreTest, ProcessWideInstanceAndWriteFailure) {
    PreferencesStore store;
    EXPECT_FALSE(store.write());  // never opened: nowhere to write
    store.open(home.path() / "missing-folder" / "pref.ini");
    set(store, "a", valueOf(1, 1));
    EXPECT_FALSE(store.write());

    setPreferences(&store);
    EXPECT_EQ(preferences(), &store);
    setPreferences(nullptr);
    EXPECT_EQ(preferences(), nullptr);
}

}  // namespace
}  // namespace tnx::settings

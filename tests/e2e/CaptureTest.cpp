#include <regex>

#include <sys/stat.h>

#include "NimbrookFixture.h"

namespace nimbrook::e2e {
namespace {

std::string pngBytes(std::size_t size) {
    std::string bytes("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16);
    for (std::size_t i = 0; bytes.size() < size; ++i) {
        bytes += static_cast<char>((i * 7919) % 256);
    }
    return bytes;
}

std::string tiffBytes() {
    std::string bytes("II*\0\x08\0\0\0", 8);
    bytes += std::string("\0\xff\x01\xfe binary \x80\x81", 14);
    return bytes;
}

const Flavour secretHint{"x-kde-passwordManagerHint", "secret"};

// One clipboard offer and what the history must show for it. An empty type means that
// nothing may be recorded: neither an entry nor an image file.
struct OfferCase {
    std::string name;
    std::vector<Flavour> flavours;
    std::string expectedType;
    std::string expectedContent;
};

// Printed by name, not as bytes, when a case fails.
void PrintTo(const OfferCase& value, std::ostream* stream) {
    *stream << value.name;
}

const std::vector<OfferCase> offerCases{
    {"ChineseText", {{"UTF8_STRING", "萤川 剪贴板 ✓"}}, "plainText", "萤川 剪贴板 ✓"},
    {"JsonText", {{"UTF8_STRING", R"({"a": [1, 2]})"}}, "json", R"({"a": [1, 2]})"},
    {"UrlText", {{"UTF8_STRING", "https://example.org/a?b=1"}}, "url", "https://example.org/a?b=1"},
    {"InvalidUtf8Repaired", {{"UTF8_STRING", "a\xff\xfe b"}}, "plainText", "a\uFFFD\uFFFD b"},
    {"BlankLinesKept", {{"UTF8_STRING", "\n\n  middle  \n\n"}}, "plainText", "\n\n  middle  \n\n"},
    {"HugeText",
     {{"UTF8_STRING", std::string(1 << 20, 'x') + "end"}},
     "plainText",
     std::string(1 << 20, 'x') + "end"},
    {"PngImage", {{"image/png", pngBytes(2048)}}, "image", pngBytes(2048)},
    {"TiffOnlyImage", {{"image/tiff", tiffBytes()}}, "image", tiffBytes()},
    {"HugeImage", {{"image/png", pngBytes(1 << 20)}}, "image", pngBytes(1 << 20)},
    {"ImageBeforeText",
     {{"text/plain", "caption"}, {"image/png", pngBytes(512)}},
     "image",
     pngBytes(512)},
    {"BlankText", {{"text/plain", " \n\t \n"}}, "", ""},
    {"SecretText", {{"text/plain", "hunter2"}, secretHint}, "", ""},
    {"SecretImage", {{"image/png", pngBytes(512)}, secretHint}, "", ""},
};

class OfferTest : public NimbrookFixture, public testing::WithParamInterface<OfferCase> {};

TEST_P(OfferTest, RecordsWhatWasCopiedAsItWas) {
    const auto& offer = GetParam();
    ASSERT_NO_FATAL_FAILURE(startProgram());
    if (!offer.expectedType.empty() && offer.flavours.size() == 1) {
        copyWithXclip(offer.flavours.front());
    } else {
        // Something must show that the program looked before the next copy replaces it.
        const auto log = copyWithOwner(offer.flavours);
        ASSERT_TRUE(served(log, offer.flavours.back().first));
    }
    if (offer.expectedType.empty()) {
        copyWithXclip({"UTF8_STRING", "sentinel"});
        ASSERT_TRUE(newestIs("sentinel"));
        EXPECT_EQ(sandbox_.history()->size(), 1u);
        EXPECT_TRUE(sandbox_.imageFiles().empty());
        return;
    }
    ASSERT_TRUE(eventually([&] { return sandbox_.history() && !sandbox_.history()->empty(); }));
    const auto entries = *sandbox_.history();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].contentType, offer.expectedType);
    EXPECT_FALSE(entries[0].sourceApp) << "no window was active";
    if (offer.expectedType != "image") {
        EXPECT_EQ(entries[0].content, offer.expectedContent);
        return;
    }
    const std::filesystem::path image(entries[0].content);
    EXPECT_EQ(image.parent_path(), sandbox_.imageFolder());
    EXPECT_TRUE(
        std::regex_match(image.filename().string(), std::regex(R"(clipboard_\d{10}(-\d+)?\.png)")));
    EXPECT_TRUE(readFile(image) == offer.expectedContent) << "image bytes differ";
    struct stat status {};
    ASSERT_EQ(::stat(image.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u);
}

INSTANTIATE_TEST_SUITE_P(Offers, OfferTest, testing::ValuesIn(offerCases), nameOf<OfferCase>);

using HistoryTest = NimbrookFixture;

TEST_F(HistoryTest, RepeatedTextKeepsItsFirstPlace) {
    ASSERT_NO_FATAL_FAILURE(startProgram());
    for (const char* text : {"alpha", "beta", "alpha", "gamma"}) {
        ASSERT_TRUE(served(copyWithOwner({{"text/plain", text}}), "text/plain")) << text;
    }
    ASSERT_TRUE(newestIs("gamma"));
    const auto entries = *sandbox_.history();
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[1].content, "beta");
    EXPECT_EQ(entries[2].content, "alpha");
}

TEST_F(HistoryTest, OwnWriteReachesOtherProgramsAndIsNotRecorded) {
    ASSERT_NO_FATAL_FAILURE(startProgram());
    copyWithXclip({"UTF8_STRING", "萤川 first"});
    ASSERT_TRUE(newestIs("萤川 first"));
    copyWithXclip({"UTF8_STRING", "second"});
    ASSERT_TRUE(newestIs("second"));

    ASSERT_TRUE(request("copy 1"));
    EXPECT_TRUE(eventually([&] { return clipboardText() == "萤川 first"; }));
    copyWithXclip({"UTF8_STRING", "third"});
    ASSERT_TRUE(newestIs("third"));
    const auto entries = *sandbox_.history();
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[1].content, "second");
    EXPECT_EQ(entries[2].content, "萤川 first");
}

TEST_F(HistoryTest, HistorySurvivesARestart) {
    ASSERT_NO_FATAL_FAILURE(startProgram());
    copyWithXclip({"UTF8_STRING", "before"});
    ASSERT_TRUE(newestIs("before"));
    ASSERT_EQ(program_->terminate(), 0);

    ASSERT_NO_FATAL_FAILURE(startProgram());
    copyWithXclip({"UTF8_STRING", "after"});
    ASSERT_TRUE(newestIs("after"));
    EXPECT_EQ(sandbox_.history()->size(), 2u);
    struct stat status {};
    ASSERT_EQ(::stat(sandbox_.historyFile().c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u);
    ASSERT_EQ(::stat(sandbox_.dataFolder().c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0700u);
}

}  // namespace
}  // namespace nimbrook::e2e

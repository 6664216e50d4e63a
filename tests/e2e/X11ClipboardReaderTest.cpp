#include <atomic>
#include <cstdlib>

#include "NimbrookFixture.h"
#include "platform/x11/X11ClipboardReader.h"

namespace nimbrook::e2e {
namespace {

const std::string ownType = "application/x-nimbrook-own-test";
const std::string hint = "x-kde-passwordManagerHint";

// One offer, how it is made (xclip with the flavour's type, else the tests' own X owner with
// all flavours), what the reader must take of it, and a type it must not even ask for.
struct ReaderCase {
    std::string name;
    std::vector<Flavour> flavours;
    bool byXclip = false;
    std::optional<std::string> text = {};
    std::optional<std::string> png = {};
    std::optional<std::string> tiff = {};
    bool secret = false;
    bool own = false;
    std::string neverAsked = {};
};

void PrintTo(const ReaderCase& reader, std::ostream* stream) {
    *stream << reader.name;
}

const std::string png = pngBytes(4096);
const std::string tiff("II*\0tiff", 8);

const std::vector<ReaderCase> cases{
    {"HtmlAloneIsNoText", {{"text/html", "<b>x</b>"}}},
    {"OtherHintIsNoSecret", {{"text/plain", "pw"}, {hint, "public"}}, false, "pw"},
    {"SecretIsReadNoFurther",
     {{"text/plain", "hunter2"}, {hint, " secret\n"}},
     false,
     {},
     {},
     {},
     true,
     false,
     "text/plain"},
    {"OwnWriteIsReadNoFurther",
     {{"text/plain", "mine"}, {ownType, ""}},
     false,
     {},
     {},
     {},
     false,
     true,
     "text/plain"},
    {"NoTiffBesidePng",
     {{"image/png", png}, {"image/tiff", tiff}},
     false,
     {},
     png,
     {},
     false,
     false,
     "image/tiff"},
    {"TiffWhenNoPng",
     {{"image/tiff", tiff}, {"text/plain", "caption"}},
     false,
     "caption",
     {},
     tiff},
    {"Latin1String", {{"STRING", "caf\xe9"}}, true, "caf\u00e9"},
    {"BrokenUtf8Repaired", {{"UTF8_STRING", "a\xff b"}}, true, "a\uFFFD b"},
    {"TextOverTheMaximum", {{"UTF8_STRING", std::string(5 << 20, 'x')}}, true},
    {"TextOfAMegabyte",
     {{"UTF8_STRING", std::string(1 << 20, 'y')}},
     true,
     std::string(1 << 20, 'y')},
};

// A reader of the test's own on the private X server, with a smaller maximum than the
// program's and a stall deadline that a loaded machine cannot mistake for a quick answer.
class X11ClipboardReaderTest : public NimbrookFixture,
                               public testing::WithParamInterface<ReaderCase> {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(NimbrookFixture::SetUp());
        ::setenv("DISPLAY", display().substr(std::string("DISPLAY=").size()).c_str(), 1);
        reader_ = std::make_unique<X11ClipboardReader>(
            ownType,
            X11SelectionConversion::Limits{std::chrono::seconds(5), std::chrono::seconds(20),
                                           2 << 20},
            [this] { ++announced_; });
        ASSERT_TRUE(reader_->isConnected());
    }

    // Waits until an offer newer than `count` is published, and announced: the program sleeps
    // until the announcement.
    std::shared_ptr<const X11Offer> after(std::int64_t count) {
        std::shared_ptr<const X11Offer> offer;
        EXPECT_TRUE(eventually([&] {
            offer = reader_->latest();
            return offer->changeCount > count && announced_ > heard_;
        })) << "no offer after "
            << count << " was announced";
        heard_ = announced_;
        return offer;
    }

    std::atomic<int> announced_ = 0;
    int heard_ = 0;
    std::unique_ptr<X11ClipboardReader> reader_;
};

TEST_P(X11ClipboardReaderTest, TakesWhatTheOfferHoldsAndNoMore) {
    const ReaderCase& c = GetParam();
    // A copy to the mouse selection moves nothing: the offer read next is the clipboard's.
    keep({"/usr/bin/xclip", "-quiet", "-selection", "primary", "-in", writeFile("primary")},
         "primary");
    std::filesystem::path ownerLog;
    if (c.byXclip) {
        copyWithXclip(c.flavours.front());
    } else {
        ownerLog = copyWithOwner(c.flavours);
    }
    const auto offer = after(0);
    EXPECT_EQ(offer->changeCount, 1);
    EXPECT_TRUE(offer->text == c.text) << "text differs";
    EXPECT_TRUE(offer->png == c.png) << "PNG differs";
    EXPECT_TRUE(offer->tiff == c.tiff) << "TIFF differs";
    EXPECT_EQ(offer->isSecret, c.secret);
    EXPECT_EQ(offer->isOwn, c.own);
    if (!c.neverAsked.empty()) {
        EXPECT_EQ(readFile(ownerLog).find("served " + c.neverAsked + "\n"), std::string::npos);
    }
}

INSTANTIATE_TEST_SUITE_P(Offers, X11ClipboardReaderTest, testing::ValuesIn(cases),
                         [](const auto& info) { return info.param.name; });

// An owner that never answers costs the reader the stall deadline and publishes an empty
// offer; the next owner, which takes over during that wait, is read at once.
TEST_F(X11ClipboardReaderTest, SilentOwnerIsGivenUpAndTheNextOneRead) {
    keep({NIMBROOK_ROGUE_OWNER, "silent"}, "rogue");
    const auto silent = after(0);
    EXPECT_EQ(silent->text, std::nullopt);
    keep({NIMBROOK_ROGUE_OWNER, "silent"}, "rogue-again");
    ASSERT_TRUE(eventually([&] {
        return readFile(root_ / "rogue-again.log").find("asked TARGETS\n") != std::string::npos;
    }));
    const auto start = std::chrono::steady_clock::now();
    copyWithXclip({"UTF8_STRING", "next"});
    const auto next = after(silent->changeCount);
    EXPECT_EQ(next->text, "next");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(4))
        << "the reader waited out the silent owner";
}

}  // namespace
}  // namespace nimbrook::e2e

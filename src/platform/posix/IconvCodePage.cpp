#include <iconv.h>

#include <cerrno>
#include <mutex>

#include "settings/CodePage.h"

namespace velmora::settings {
namespace {

// One conversion direction. The descriptor is opened once: iconv_open loads
// conversion modules and costs far more than converting a settings file.
class Converter {
public:
    Converter(const char* to, const char* from) : cd_(::iconv_open(to, from)) {}
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    ~Converter() {
        if (cd_ != Invalid()) ::iconv_close(cd_);
    }

    // nullopt on any byte sequence iconv rejects, including an incomplete one
    // at the end: without //TRANSLIT or //IGNORE it substitutes nothing.
    std::optional<std::string> Convert(std::string_view input) {
        if (cd_ == Invalid()) return std::nullopt;
        std::lock_guard lock(mutex_);
        ::iconv(cd_, nullptr, nullptr, nullptr, nullptr);  // back to the initial shift state
        std::string output;
        output.resize(input.size() * 2 + 16);
        char* in = const_cast<char*>(input.data());  // iconv's signature; it does not write there
        std::size_t inLeft = input.size();
        std::size_t produced = 0;
        for (;;) {
            char* out = output.data() + produced;
            std::size_t outLeft = output.size() - produced;
            const std::size_t result = ::iconv(cd_, inLeft > 0 ? &in : nullptr, &inLeft, &out, &outLeft);
            produced = output.size() - outLeft;
            if (result != static_cast<std::size_t>(-1)) {
                if (inLeft == 0) break;
                continue;
            }
            if (errno != E2BIG) return std::nullopt;
            output.resize(output.size() * 2);
        }
        output.resize(produced);
        return output;
    }

private:
    static iconv_t Invalid() { return reinterpret_cast<iconv_t>(-1); }

    iconv_t cd_;
    std::mutex mutex_;
};

class IconvCodePage : public CodePage {
public:
    explicit IconvCodePage(const char* name) : toUtf8_("UTF-8", name), fromUtf8_(name, "UTF-8") {}

    std::optional<std::string> ToUtf8(std::string_view ansi) override { return toUtf8_.Convert(ansi); }

    std::optional<std::string> FromUtf8(std::string_view utf8) override {
        auto ansi = fromUtf8_.Convert(utf8);
        if (!ansi) return std::nullopt;
        // glibc's tables fall back to look-alikes for some characters (U+00A5
        // becomes "\", U+2212 becomes the full-width minus). Only a conversion
        // that reads back to the same text is exact.
        auto back = toUtf8_.Convert(*ansi);
        if (!back || *back != utf8) return std::nullopt;
        return ansi;
    }

private:
    Converter toUtf8_;
    Converter fromUtf8_;
};

}  // namespace

std::unique_ptr<CodePage> MakeHostCodePage() { return std::make_unique<IconvCodePage>("CP932"); }

std::unique_ptr<CodePage> MakeCp932CodePage() { return std::make_unique<IconvCodePage>("CP932"); }

}  // namespace velmora::settings

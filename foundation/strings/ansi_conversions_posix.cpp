// ANSI conversions without the Win32 code-page services. The process's
// narrow code page is taken to be the character set of its current C locale
// (nl_langinfo(CODESET): "ANSI_X3.4-1968", plain ASCII, until the program
// calls setlocale), and iconv does the work without transliteration, so a
// character the code page cannot represent fails the conversion exactly as
// the Win32 default-character test does. Both leave the output untouched
// when they fail.
#include <REDudi/strings.h>

#include <cerrno>
#include <iconv.h>
#include <langinfo.h>
#include <vector>

namespace REDudi {

namespace {

class Converter {
public:
    Converter(const char* to, const char* from) : handle_(iconv_open(to, from)) {}
    ~Converter() {
        if (Valid())
            iconv_close(handle_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool Valid() const { return handle_ != reinterpret_cast<iconv_t>(-1); }

    // Converts all of `in`; false on any unconvertible or invalid sequence.
    bool Run(const char* in, std::size_t length, std::vector<char>& out) {
        out.resize(length * 4 + 16);
        char* source = const_cast<char*>(in);
        std::size_t sourceLeft = length;
        char* target = out.data();
        std::size_t targetLeft = out.size();
        while (sourceLeft > 0) {
            std::size_t result = iconv(handle_, &source, &sourceLeft, &target, &targetLeft);
            if (result == static_cast<std::size_t>(-1)) {
                if (errno != E2BIG)
                    return false;
                std::size_t used = out.size() - targetLeft;
                out.resize(out.size() * 2);
                target = out.data() + used;
                targetLeft = out.size() - used;
            } else if (result != 0) {
                // Irreversible conversions were made: the text did not fit.
                return false;
            }
        }
        out.resize(out.size() - targetLeft);
        return true;
    }

private:
    iconv_t handle_;
};

} // namespace

bool ConvertUnicodeToANSI(const UnicodeStdString& in, std::string& out) {
    if (in.empty()) {
        out.clear();
        return true;
    }
    Converter converter(nl_langinfo(CODESET), "UTF-16LE");
    std::vector<char> bytes;
    if (!converter.Valid() ||
        !converter.Run(reinterpret_cast<const char*>(in.data()), in.size() * 2, bytes))
        return false;
    out.assign(bytes.begin(), bytes.end());
    return true;
}

bool ConvertANSIToUnicode(const std::string& in, UnicodeStdString& out) {
    if (in.empty()) {
        out.clear();
        return true;
    }
    Converter converter("UTF-16LE", nl_langinfo(CODESET));
    std::vector<char> bytes;
    if (!converter.Valid() || !converter.Run(in.data(), in.size(), bytes))
        return false;
    UnicodeStdString converted(bytes.size() / 2, 0);
    for (std::size_t i = 0; i < converted.size(); ++i)
        converted[i] =
            static_cast<unsigned short>(static_cast<unsigned char>(bytes[2 * i]) |
                                        static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
    out.swap(converted);
    return true;
}

} // namespace REDudi

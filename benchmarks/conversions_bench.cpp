// UTF-8 <-> UTF-16 and Base64 throughput of the library against the packaged
// peers: glibc iconv, ICU, GLib and OpenSSL. Throughput counts input bytes.
#include <REDudi/bytes.h>
#include <REDudi/strings.h>

#include "benchmarks/throughput_table.h"

#include <glib.h>
#include <iconv.h>
#include <malloc.h>
#include <openssl/evp.h>
#include <unicode/ustring.h>

#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

using namespace REDudi;

namespace {

constexpr std::size_t kTextBytes = 64 * 1024;
constexpr int kUtfRounds = 5;

std::string Repeat(const std::string& sample) {
    std::string text;
    while (text.size() + sample.size() <= kTextBytes)
        text += sample;
    return text;
}

const std::string& AsciiText() {
    static const std::string text =
        Repeat("The quick brown fox jumps over the lazy dog; 0123456789 times, "
               "said the log line at 12:34:56.\n");
    return text;
}

const std::string& MixedText() {
    static const std::string text =
        Repeat("Grüße aus Zürich, déjà vu. Καλημέρα κόσμε. Привет, мир. 你好，世界。"
               "こんにちは世界。 안녕하세요. مرحبا بالعالم. Emoji: 😀🚀. Plain ASCII tail.\n");
    return text;
}

// Mostly three-byte sequences, as Chinese and Japanese text is.
const std::string& CjkText() {
    static const std::string text =
        Repeat("日志读取器从共享内存中按写入顺序读取每一条记录，并交给监听器。"
               "スレッドはイベントを待ち、終了要求で中断されます。ログ 2026.\n");
    return text;
}

// Many four-byte sequences (surrogate pairs in UTF-16) between short words.
const std::string& EmojiText() {
    static const std::string text = Repeat(
        "ok 😀 done 🚀🚀 fine 👍🏽 party 🎉🎊 𝄞 music 🧪 test 😂😂😂 "
        "end.\n");
    return text;
}

const char* const kTextNames[] = {"Ascii", "Mixed", "Cjk", "Emoji"};

const std::string& TextFor(int which) {
    switch (which) {
    case 0:
        return AsciiText();
    case 1:
        return MixedText();
    case 2:
        return CjkText();
    default:
        return EmojiText();
    }
}

Utf8StdString Utf8(const std::string& text) {
    return Utf8StdString(text.begin(), text.end());
}

UnicodeStdString Utf16(const std::string& text) {
    UnicodeStdString wide;
    ConvertUTF8ToUnicode(Utf8(text), wide);
    return wide;
}

void SetThroughput(benchmark::State& state, std::size_t bytes) {
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}

// --- UTF-8 to UTF-16 -------------------------------------------------------

void Utf8ToUtf16Ours(benchmark::State& state, int which) {
    Utf8StdString in = Utf8(TextFor(which));
    UnicodeStdString out;
    for (auto _ : state) {
        ConvertUTF8ToUnicode(in, out);
        benchmark::DoNotOptimize(out.data());
    }
    SetThroughput(state, in.size());
}

void Utf8ToUtf16Iconv(benchmark::State& state, int which) {
    const std::string& in = TextFor(which);
    std::vector<char> out(in.size() * 2 + 16);
    iconv_t cd = iconv_open("UTF-16LE", "UTF-8");
    for (auto _ : state) {
        char* source = const_cast<char*>(in.data());
        std::size_t sourceLeft = in.size();
        char* target = out.data();
        std::size_t targetLeft = out.size();
        iconv(cd, &source, &sourceLeft, &target, &targetLeft);
        benchmark::DoNotOptimize(target);
    }
    iconv_close(cd);
    SetThroughput(state, in.size());
}

void Utf8ToUtf16Icu(benchmark::State& state, int which) {
    const std::string& in = TextFor(which);
    std::vector<UChar> out(in.size() + 16);
    for (auto _ : state) {
        int32_t length = 0;
        UErrorCode status = U_ZERO_ERROR;
        u_strFromUTF8(out.data(), static_cast<int32_t>(out.size()), &length, in.data(),
                      static_cast<int32_t>(in.size()), &status);
        benchmark::DoNotOptimize(length);
    }
    SetThroughput(state, in.size());
}

void Utf8ToUtf16Glib(benchmark::State& state, int which) {
    const std::string& in = TextFor(which);
    for (auto _ : state) {
        gunichar2* out =
            g_utf8_to_utf16(in.data(), static_cast<glong>(in.size()), nullptr, nullptr, nullptr);
        benchmark::DoNotOptimize(out);
        g_free(out);
    }
    SetThroughput(state, in.size());
}

// --- UTF-16 to UTF-8 -------------------------------------------------------

void Utf16ToUtf8Ours(benchmark::State& state, int which) {
    UnicodeStdString in = Utf16(TextFor(which));
    Utf8StdString out;
    for (auto _ : state) {
        ConvertUnicodeToUTF8(in, out);
        benchmark::DoNotOptimize(out.data());
    }
    SetThroughput(state, in.size() * 2);
}

void Utf16ToUtf8Iconv(benchmark::State& state, int which) {
    UnicodeStdString in = Utf16(TextFor(which));
    std::vector<char> out(in.size() * 3 + 16);
    iconv_t cd = iconv_open("UTF-8", "UTF-16LE");
    for (auto _ : state) {
        char* source = reinterpret_cast<char*>(&in[0]);
        std::size_t sourceLeft = in.size() * 2;
        char* target = out.data();
        std::size_t targetLeft = out.size();
        iconv(cd, &source, &sourceLeft, &target, &targetLeft);
        benchmark::DoNotOptimize(target);
    }
    iconv_close(cd);
    SetThroughput(state, in.size() * 2);
}

void Utf16ToUtf8Icu(benchmark::State& state, int which) {
    UnicodeStdString in = Utf16(TextFor(which));
    std::vector<char> out(in.size() * 3 + 16);
    for (auto _ : state) {
        int32_t length = 0;
        UErrorCode status = U_ZERO_ERROR;
        u_strToUTF8(out.data(), static_cast<int32_t>(out.size()), &length,
                    reinterpret_cast<const UChar*>(in.data()), static_cast<int32_t>(in.size()),
                    &status);
        benchmark::DoNotOptimize(length);
    }
    SetThroughput(state, in.size() * 2);
}

void Utf16ToUtf8Glib(benchmark::State& state, int which) {
    UnicodeStdString in = Utf16(TextFor(which));
    for (auto _ : state) {
        gchar* out = g_utf16_to_utf8(reinterpret_cast<const gunichar2*>(in.data()),
                                     static_cast<glong>(in.size()), nullptr, nullptr, nullptr);
        benchmark::DoNotOptimize(out);
        g_free(out);
    }
    SetThroughput(state, in.size() * 2);
}

// --- Base64 ----------------------------------------------------------------

const std::string& RandomBytes() {
    static const std::string bytes = [] {
        std::mt19937 random(42);
        std::string b(kTextBytes - kTextBytes % 3, '\0');
        for (char& c : b)
            c = static_cast<char>(random());
        return b;
    }();
    return bytes;
}

const std::string& EncodedBytes() {
    static const std::string text = [] {
        PString out;
        ABase64::Encode(PString(RandomBytes()), out);
        return std::string(out);
    }();
    return text;
}

void EncodeOurs(benchmark::State& state) {
    PString in(RandomBytes());
    PString out;
    for (auto _ : state) {
        out.clear();
        ABase64::Encode(in, out);
        benchmark::DoNotOptimize(out.data());
    }
    SetThroughput(state, in.size());
}

void EncodeOpenSsl(benchmark::State& state) {
    const std::string& in = RandomBytes();
    std::vector<unsigned char> out(in.size() / 3 * 4 + 16);
    for (auto _ : state) {
        int length = EVP_EncodeBlock(out.data(), reinterpret_cast<const unsigned char*>(in.data()),
                                     static_cast<int>(in.size()));
        benchmark::DoNotOptimize(length);
    }
    SetThroughput(state, in.size());
}

void EncodeGlib(benchmark::State& state) {
    const std::string& in = RandomBytes();
    for (auto _ : state) {
        gchar* out = g_base64_encode(reinterpret_cast<const guchar*>(in.data()), in.size());
        benchmark::DoNotOptimize(out);
        g_free(out);
    }
    SetThroughput(state, in.size());
}

void DecodeOurs(benchmark::State& state) {
    PString in(EncodedBytes());
    PString out;
    for (auto _ : state) {
        out.clear();
        ABase64::Decode(in, out);
        benchmark::DoNotOptimize(out.data());
    }
    SetThroughput(state, in.size());
}

void DecodeOpenSsl(benchmark::State& state) {
    const std::string& in = EncodedBytes();
    std::vector<unsigned char> out(in.size() / 4 * 3 + 16);
    for (auto _ : state) {
        int length = EVP_DecodeBlock(out.data(), reinterpret_cast<const unsigned char*>(in.data()),
                                     static_cast<int>(in.size()));
        benchmark::DoNotOptimize(length);
    }
    SetThroughput(state, in.size());
}

void DecodeGlib(benchmark::State& state) {
    const std::string& in = EncodedBytes();
    for (auto _ : state) {
        gsize length = 0;
        guchar* out = g_base64_decode(in.c_str(), &length);
        benchmark::DoNotOptimize(out);
        g_free(out);
    }
    SetThroughput(state, in.size());
}

// --- Byte queue ------------------------------------------------------------

// One AddToBuffer of the whole block into a queue with the default 1024-byte
// step: its growth must cost the same per megabyte whatever the size.
void AddToByteQueue(benchmark::State& state, int megabytes) {
    // Blocks above the allocator's threshold come fresh from the kernel on
    // every round, and their page faults would then weigh on the large sizes
    // only; kept in the heap, every size measures the queue's own work.
    mallopt(M_MMAP_MAX, 0);
    mallopt(M_TRIM_THRESHOLD, -1);
    const std::string block(static_cast<std::size_t>(megabytes) << 20, 'b');
    // Each round starts with cold caches, as a block that just arrived would;
    // otherwise the small sizes run from the cache and the large from memory.
    static std::vector<char> evict(256u << 20);
    for (auto _ : state) {
        state.PauseTiming();
        for (std::size_t i = 0; i < evict.size(); i += 64)
            evict[i] = static_cast<char>(evict[i] + 1);
        benchmark::ClobberMemory();
        state.ResumeTiming();
        ADynaByteBuffer queue;
        queue.AddToBuffer(block.data(), static_cast<unsigned int>(block.size()));
        benchmark::DoNotOptimize(queue.GetNumDataBytes());
    }
    state.counters["s_per_MB"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * megabytes,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void RegisterUtfRound() {
    const char* const* texts = kTextNames;
    for (int which = 0; which < 4; ++which) {
        std::string to16 = std::string("Utf8ToUtf16/") + texts[which] + "/";
        benchmark::RegisterBenchmark((to16 + "REDudi").c_str(), Utf8ToUtf16Ours, which);
        benchmark::RegisterBenchmark((to16 + "iconv").c_str(), Utf8ToUtf16Iconv, which);
        benchmark::RegisterBenchmark((to16 + "ICU").c_str(), Utf8ToUtf16Icu, which);
        benchmark::RegisterBenchmark((to16 + "GLib").c_str(), Utf8ToUtf16Glib, which);
        std::string to8 = std::string("Utf16ToUtf8/") + texts[which] + "/";
        benchmark::RegisterBenchmark((to8 + "REDudi").c_str(), Utf16ToUtf8Ours, which);
        benchmark::RegisterBenchmark((to8 + "iconv").c_str(), Utf16ToUtf8Iconv, which);
        benchmark::RegisterBenchmark((to8 + "ICU").c_str(), Utf16ToUtf8Icu, which);
        benchmark::RegisterBenchmark((to8 + "GLib").c_str(), Utf16ToUtf8Glib, which);
    }
}

void RegisterAll() {
    // Every peer runs once per round, so all of them meet the same spells of
    // load from the machine's other work; each counts with its best round.
    for (int round = 0; round < kUtfRounds; ++round)
        RegisterUtfRound();
    benchmark::RegisterBenchmark("Base64Encode/REDudi", EncodeOurs);
    benchmark::RegisterBenchmark("Base64Encode/OpenSSL", EncodeOpenSsl);
    benchmark::RegisterBenchmark("Base64Encode/GLib", EncodeGlib);
    benchmark::RegisterBenchmark("Base64Decode/REDudi", DecodeOurs);
    benchmark::RegisterBenchmark("Base64Decode/OpenSSL", DecodeOpenSsl);
    benchmark::RegisterBenchmark("Base64Decode/GLib", DecodeGlib);
    for (int megabytes : {1, 16, 64})
        benchmark::RegisterBenchmark(("ByteQueueAdd/" + std::to_string(megabytes) + "MB").c_str(),
                                     AddToByteQueue, megabytes)
            ->Unit(benchmark::kMillisecond)
            ->Iterations(10);
}

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RegisterAll();
    bench::ThroughputTable table;
    benchmark::RunSpecifiedBenchmarks(&table);
    table.PrintRatios();
    std::printf("\nTarget: Mixed, Cjk and Emoji at least 1.5x ICU in both directions "
                "(best of %d rounds each)\n",
                kUtfRounds);
    table.PrintPerMegabyte("ByteQueueAdd", 1.3);
    benchmark::Shutdown();
    return 0;
}

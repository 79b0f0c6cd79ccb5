#include "texts.h"

#include <atomic>
#include <clocale>

namespace {

std::atomic<Language> language{Language::Czech};
thread_local const TextTable* threadTexts = nullptr;

}  // namespace

const TextTable& TextsOf(Language which) {
    return which == Language::English ? kEnglishTexts : kCzechTexts;
}

Language CurrentLanguage() {
    return language.load(std::memory_order_relaxed);
}

void SetLanguage(Language which) {
    language.store(which, std::memory_order_relaxed);
#if defined(LC_MESSAGES) && !defined(__wasi__)
    // The system's reasons (strerror) in the same language: English from the
    // C library's own texts, Czech from the Czech locale where the system has
    // it, else from the user's.
    // Set before any board's thread runs: the locale is the whole process's.
    // (The page's core has no environment to read a locale from.)
    if (which == Language::English) {
        if (std::setlocale(LC_MESSAGES, "C.UTF-8") == nullptr) std::setlocale(LC_MESSAGES, "C");
    } else if (std::setlocale(LC_MESSAGES, "cs_CZ.UTF-8") == nullptr) {
        std::setlocale(LC_MESSAGES, "");  // the user's own where Czech is not installed
    }
#endif
}

std::optional<Language> LanguageNamed(std::string_view code) {
    std::string lower(code);
    for (char& c : lower) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    if (lower == "cs") return Language::Czech;
    if (lower == "en") return Language::English;
    return std::nullopt;
}

std::string_view LanguageCode(Language which) {
    return which == Language::English ? "en" : "cs";
}

const TextTable& Text() {
    return threadTexts != nullptr ? *threadTexts : TextsOf(CurrentLanguage());
}

InLanguage::InLanguage(Language which) : outer_(threadTexts) {
    threadTexts = &TextsOf(which);
}

InLanguage::~InLanguage() {
    threadTexts = outer_;
}

std::string Format(std::string_view pattern, std::initializer_list<std::string_view> args) {
    std::string text;
    text.reserve(pattern.size() + 32);
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const std::size_t n = i + 2 < pattern.size() && pattern[i] == '{' && pattern[i + 2] == '}'
                                  ? static_cast<std::size_t>(pattern[i + 1] - '1')
                                  : args.size();
        if (n < args.size()) {
            text += args.begin()[n];
            i += 2;
        } else {
            text += pattern[i];
        }
    }
    return text;
}

std::string Plural(long long count, std::string_view one, std::string_view few, std::string_view many) {
    const long long n = count < 0 ? -count : count;
    return Format(n == 1 ? one : n >= 2 && n <= 4 ? few : many, {std::to_string(count)});
}

#include "text/HtmlEntities.h"

#include <algorithm>
#include <iterator>

namespace {
struct THtmlEntity {
    const char* name;
    bool bare; // also read without its ";"
    quint8 valueLength;
    char16_t value[2];
};

#include "text/HtmlEntityTable.inc"

inline bool IsAsciiAlnum(char16_t c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

// Byte order of name against the n characters at p (all ASCII).
int CompareName(const char* name, const char16_t* p, int n)
{
    for (int i = 0; i < n; ++i) {
        const unsigned char c = static_cast<unsigned char>(name[i]);
        if (c == 0)
            return -1;
        if (c != p[i])
            return c < p[i] ? -1 : 1;
    }
    return name[n] == 0 ? 0 : 1;
}

const THtmlEntity* FindEntity(const char16_t* p, int n)
{
    const THtmlEntity* first = std::begin(kHtmlEntities);
    const THtmlEntity* last = std::end(kHtmlEntities);
    const THtmlEntity* at = std::lower_bound(
        first, last, 0, [p, n](const THtmlEntity& e, int) { return CompareName(e.name, p, n) < 0; });
    return at != last && CompareName(at->name, p, n) == 0 ? at : nullptr;
}

TCharRef Named(qsizetype length, const THtmlEntity& e)
{
    TCharRef ref;
    ref.length = length;
    ref.valueLength = e.valueLength;
    ref.value[0] = e.value[0];
    ref.value[1] = e.value[1];
    return ref;
}

TCharRef ReadNamed(const char16_t* p, const char16_t* end)
{
    const char16_t* name = p + 1;
    const char16_t* q = name;
    // One more than the longest name is enough to know no full name matches.
    while (q < end && q - name <= kLongestHtmlEntityName && IsAsciiAlnum(*q))
        ++q;
    const int n = static_cast<int>(q - name);
    if (n == 0)
        return {};
    if (n <= kLongestHtmlEntityName && q < end && *q == ';')
        if (const THtmlEntity* e = FindEntity(name, n))
            return Named(n + 2, *e);
    for (int k = std::min(n, kLongestBareHtmlEntityName); k >= 2; --k) {
        const THtmlEntity* e = FindEntity(name, k);
        if (e && e->bare)
            return Named(k + 1, *e);
    }
    return {};
}

int DigitValue(char16_t c, bool hex)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (hex && c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (hex && c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

TCharRef ReadNumeric(const char16_t* p, const char16_t* end)
{
    const char16_t* q = p + 2;
    const bool hex = q < end && (*q == 'x' || *q == 'X');
    if (hex)
        ++q;
    const char16_t* digits = q;
    const int base = hex ? 16 : 10;
    quint32 code = 0;
    bool tooLarge = false;
    for (int d; q < end && (d = DigitValue(*q, hex)) >= 0; ++q) {
        if (!tooLarge) {
            code = code * base + static_cast<quint32>(d);
            tooLarge = code > 0x10FFFF;
        }
    }
    if (q == digits)
        return {};
    if (q < end && *q == ';')
        ++q;
    if (tooLarge || code == 0 || (code >= 0xD800 && code <= 0xDFFF))
        code = 0xFFFD;
    else if (code >= 0x80 && code <= 0x9F)
        code = kHtmlC1Replacements[code - 0x80];
    TCharRef ref;
    ref.length = q - p;
    if (code > 0xFFFF) {
        ref.valueLength = 2;
        ref.value[0] = static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10));
        ref.value[1] = static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
    } else {
        ref.valueLength = 1;
        ref.value[0] = static_cast<char16_t>(code);
    }
    return ref;
}
} // namespace

TCharRef ReadCharRef(const char16_t* p, const char16_t* end)
{
    if (p + 1 >= end)
        return {};
    return p[1] == '#' ? ReadNumeric(p, end) : ReadNamed(p, end);
}

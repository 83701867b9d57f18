#pragma once

#include <QString>
#include <QStringView>

#include <optional>

// Dotted IPv4 text ("192.168.1.64") read and written in one place. Every
// reader takes the rules it needs as an explicit set; the named sets below
// are the ones the program uses. Parts are decimal digits only (no sign, no
// blank), four of them, none empty, each 0 to 255.
namespace Ipv4Text {

struct Rules
{
    // Most digits a part may have, leading zeros included; 0 for any number,
    // so that 0001 reads as 1 (people pad addresses that way).
    int maxPartDigits = 0;
    // 0.1.2.3 and the like: no host address starts with 0.
    bool allowZeroFirstPart = true;
    // 0.0.0.0 as a whole.
    bool allowAllZeros = true;
    // The value must be a run of one bits from the top followed only by zero
    // bits (255.255.255.0, also 255.255.255.255).
    bool contiguousMask = false;
};

// Any four parts: sorting and other readers that judge nothing.
inline constexpr Rules AnyAddress {};
// An address or gateway the user types for a device, and a device to reach.
inline constexpr Rules HostAddress { .allowZeroFirstPart = false };
// A subnet mask with at least one bit set.
inline constexpr Rules SubnetMask { .allowAllZeros = false, .contiguousMask = true };
// The start of a search range: three digits a part at most, as its editor takes them.
inline constexpr Rules SearchStart { .maxPartDigits = 3, .allowZeroFirstPart = false };

// The address with its first part as the highest byte, or nothing when the
// text breaks the rules.
std::optional<quint32> parse(QStringView text, const Rules &rules);
bool isValid(QStringView text, const Rules &rules);

// "a.b.c.d" without leading zeros, the way devices read it.
QString toText(quint32 address);
// The text rewritten by toText when it keeps the rules, else nothing.
std::optional<QString> canonical(QStringView text, const Rules &rules);

} // namespace Ipv4Text

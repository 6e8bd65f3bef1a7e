#include <cstring>

#include "platform/posix/window_lookup.h"

namespace windowlookup {

std::uint32_t LongsFor(std::size_t bytes)
{
    return static_cast<std::uint32_t>((bytes + 3) / 4);
}

bool PropertyExists(const xcb_get_property_reply_t *reply)
{
    return reply != nullptr && reply->type != XCB_ATOM_NONE;
}

bool ClassPartEquals(const xcb_get_property_reply_t *reply, std::string_view wanted)
{
    if (!PropertyExists(reply) || reply->format != 8)
        return false;
    const int length = xcb_get_property_value_length(reply);
    if (length <= 0)
        return false;
    const char *bytes = static_cast<const char *>(xcb_get_property_value(reply));
    const auto size = static_cast<std::size_t>(length);

    const void *instanceEnd = std::memchr(bytes, '\0', size);
    if (instanceEnd == nullptr)
        return false;
    const std::size_t start = static_cast<const char *>(instanceEnd) - bytes + 1;
    const void *classEnd = std::memchr(bytes + start, '\0', size - start);
    std::size_t end = size;
    if (classEnd != nullptr)
        end = static_cast<const char *>(classEnd) - bytes;
    else if (reply->bytes_after != 0)
        return false;  // the class part runs on past what was read
    return std::string_view(bytes + start, end - start) == wanted;
}

bool NameEquals(const xcb_get_property_reply_t *reply, std::string_view wanted)
{
    if (!PropertyExists(reply) || reply->format != 8 || reply->bytes_after != 0)
        return false;
    const int length = xcb_get_property_value_length(reply);
    if (length < 0 || static_cast<std::size_t>(length) != wanted.size())
        return false;
    return wanted.empty() ||
           std::memcmp(xcb_get_property_value(reply), wanted.data(), wanted.size()) == 0;
}

}  // namespace windowlookup

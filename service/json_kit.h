#pragma once

#include <boost/json.hpp>

#include <cmath>
#include <optional>
#include <string_view>

// Reading the sources' JSON answers, where any member may be missing, null
// or of another type than expected: each helper then answers "nothing".
namespace quoterra::service::json_kit {

namespace json = boost::json;

// The parsed answer; nothing when it is not JSON.
inline std::optional<json::value> parsed(std::string_view body)
{
    boost::system::error_code ec;
    json::value doc = json::parse(body, ec);
    return ec ? std::nullopt : std::optional(std::move(doc));
}

inline const json::value* member(const json::value* v, std::string_view key)
{
    const json::object* o = v ? v->if_object() : nullptr;
    return o ? o->if_contains(key) : nullptr;
}

inline const json::array* array(const json::value* v)
{
    return v ? v->if_array() : nullptr;
}

// A JSON number; NAN for anything else.
inline double number(const json::value* v)
{
    if (!v || !v->is_number())
        return NAN;
    boost::system::error_code ec;
    const double d = v->to_number<double>(ec);
    return ec || !std::isfinite(d) ? NAN : d;
}

// A JSON string; empty for anything else.
inline std::string_view text(const json::value* v)
{
    const json::string* s = v ? v->if_string() : nullptr;
    return s ? std::string_view(*s) : std::string_view();
}

} // namespace quoterra::service::json_kit

#include "json_text.h"

#include <unordered_set>

namespace {

constexpr const char* kHexMember = "hex";
constexpr std::string_view kHexDigits = "0123456789abcdef";

// Length of the valid UTF-8 sequence starting at `i`, 0 when it is not one.
std::size_t Utf8SequenceLength(std::string_view text, std::size_t i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    if (lead < 0x80) return 1;
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;   // overlong
        if (lead == 0xED) high = 0x9F;  // surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;   // overlong
        if (lead == 0xF4) high = 0x8F;  // beyond U+10FFFF
    } else {
        return 0;
    }
    if (i + length > text.size() || byte(i + 1) < low || byte(i + 1) > high) return 0;
    for (std::size_t k = i + 2; k < i + length; ++k) {
        if (byte(k) < 0x80 || byte(k) > 0xBF) return 0;
    }
    return length;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool HexToBytes(std::string_view hex, std::string& bytes, std::string& error) {
    if (hex.size() % 2 != 0) {
        error = "\"hex\" needs an even number of hex digits";
        return false;
    }
    std::string decoded;
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        const int high = HexValue(hex[i]);
        const int low = HexValue(hex[i + 1]);
        if (high < 0 || low < 0) {
            error = "\"hex\" holds a character that is not a hex digit";
            return false;
        }
        decoded += static_cast<char>(high * 16 + low);
    }
    bytes = std::move(decoded);
    return true;
}

// "[json.exception.parse_error.101] parse error at line 2, column 5: ...": the id is for
// programmers.
std::string WithoutId(std::string_view what) {
    const std::size_t idEnd = what.find("] ");
    return std::string(what.substr(idEnd == std::string_view::npos ? 0 : idEnd + 2));
}

// Walks a JSON text without building it: its depth, the size of each object and the member
// names that stand twice.
class ShapeCheck final : public nlohmann::json_sax<Json> {
  public:
    bool null() override { return true; }
    bool boolean(bool) override { return true; }
    bool number_integer(number_integer_t) override { return true; }
    bool number_unsigned(number_unsigned_t) override { return true; }
    bool number_float(number_float_t, const string_t&) override { return true; }
    bool string(string_t&) override { return true; }
    bool binary(binary_t&) override { return true; }
    bool start_object(std::size_t) override { return Enter(true); }
    bool end_object() override { return Leave(); }
    bool start_array(std::size_t) override { return Enter(false); }
    bool end_array() override { return Leave(); }
    bool key(string_t& name) override {
        Level& object = levels_.back();
        if (++object.members > kMaxJsonMembers) {
            return Refuse("an object holds more than " + std::to_string(kMaxJsonMembers) +
                          " members");
        }
        if (!object.names.insert(name).second) {
            JsonDuplicate duplicate;
            for (std::size_t i = 1; i < levels_.size(); ++i)
                duplicate.path.push_back(levels_[i].name);
            duplicate.path.push_back(name);
            duplicates_.push_back(std::move(duplicate));
        }
        member_ = name;
        return true;
    }
    bool parse_error(std::size_t, const std::string&,
                     const nlohmann::detail::exception& e) override {
        return Refuse(WithoutId(e.what()));
    }

    const std::string& Error() const { return error_; }
    std::vector<JsonDuplicate> TakeDuplicates() { return std::move(duplicates_); }

  private:
    struct Level {
        bool object = false;
        std::string name;  // the member it is the value of; "[]" for an element of an array
        std::unordered_set<std::string> names;
        std::size_t members = 0;
    };

    bool Enter(bool object) {
        if (levels_.size() >= kMaxJsonDepth) {
            return Refuse("nested deeper than " + std::to_string(kMaxJsonDepth) + " levels");
        }
        const bool inObject = !levels_.empty() && levels_.back().object;
        levels_.push_back({object, inObject ? member_ : std::string("[]"), {}, 0});
        return true;
    }
    bool Leave() {
        levels_.pop_back();
        return true;
    }
    bool Refuse(std::string error) {
        error_ = std::move(error);
        return false;
    }

    std::vector<Level> levels_;
    std::string member_;  // the name of the member whose value comes next
    std::vector<JsonDuplicate> duplicates_;
    std::string error_;
};

}  // namespace

bool IsValidUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = Utf8SequenceLength(text, i);
        if (length == 0) return false;
        i += length;
    }
    return true;
}

Json BytesToJson(std::string_view bytes) {
    if (IsValidUtf8(bytes)) return std::string(bytes);
    std::string hex;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        hex += kHexDigits[byte >> 4];
        hex += kHexDigits[byte & 0xF];
    }
    return Json{{kHexMember, hex}};
}

bool JsonToBytes(const Json& value, std::string& bytes, std::string& error) {
    if (value.is_string()) {
        bytes = value.get<std::string>();
        return true;
    }
    if (value.is_object() && value.size() == 1 && value.contains(kHexMember) &&
        value[kHexMember].is_string()) {
        return HexToBytes(value[kHexMember].get<std::string>(), bytes, error);
    }
    // The kind of value only: a hostile value could be megabytes of text.
    const std::string kind = value.type_name();
    error = std::string("expected a string or {\"hex\": \"...\"}, got ") +
            (kind == "object" || kind == "array" ? "an " : "a ") + kind;
    return false;
}

bool ParseJson(std::string_view text, Json& value, std::string& error,
               std::vector<JsonDuplicate>* duplicates) {
    // The shape is checked in one pass of its own, so that the document is built only of text
    // within the bounds.
    ShapeCheck shape;
    if (!Json::sax_parse(text, &shape)) {
        error = shape.Error();
        return false;
    }
    if (duplicates != nullptr) *duplicates = shape.TakeDuplicates();
    try {
        value = Json::parse(text);
        return true;
    } catch (const Json::exception& e) {
        error = WithoutId(e.what());
        return false;
    }
}

std::string JsonText(const Json& value) {
    // Every string was checked on its way in; replacing never happens, but a bad byte must
    // not become an exception.
    return value.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

#include "buffers/OffsetList.h"

#include <limits>

#include "text/KestrelError.h"
#include "text/Numeric.h"

namespace kestrel {

std::string OffsetList::keyText(NumberKey form, int64_t number) {
    if (form == NumberKey::hex) return "&h" + numeric::hexText(static_cast<double>(number));
    return numeric::spacedDecimal(number);
}

// Exactly the texts keyText gives for a 32-bit number (in any letter case)
// are number keys; any other text, "&h0C" or "-0" say, stays a text key.
bool OffsetList::parseNumberKey(std::string_view key, uint64_t& slot) {
    if (key.size() < 2) return false;
    if (key[0] == '&' && (key[1] == 'h' || key[1] == 'H')) {
        const std::string_view digits = key.substr(2);
        if (digits.empty() || digits.size() > 8 || (digits[0] == '0' && digits.size() > 1)) return false;
        uint64_t value = 0;
        if (!textkit::hexValue(digits, value)) return false;
        slot = numberSlot(NumberKey::hex, static_cast<int32_t>(static_cast<uint32_t>(value)));
        return true;
    }
    if (key[0] != ' ' && key[0] != '-') return false;
    const bool negative = key[0] == '-';
    const std::string_view digits = key.substr(1);
    if (digits.size() > 10 || (digits[0] == '0' && (digits.size() > 1 || negative))) return false;
    int64_t value = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    if (negative) value = -value;
    if (value < std::numeric_limits<int32_t>::min() || value > std::numeric_limits<int32_t>::max()) return false;
    slot = numberSlot(NumberKey::spaced, static_cast<int32_t>(value));
    return true;
}

void OffsetList::reserve(std::size_t more, bool numberKeys) {
    items_.reserve(items_.size() + more);
    if (numberKeys)
        byNumber_.reserve(byNumber_.size() + more);
    else
        byText_.reserve(byText_.size() + more);
}

bool OffsetList::claimKey(const std::string& key) {
    if (key.empty()) return true;
    uint64_t slot = 0;
    return parseNumberKey(key, slot) ? byNumber_.try_emplace(slot, items_.size()).second
                                     : byText_.try_emplace(key, items_.size()).second;
}

void OffsetList::add(Item item, const std::string& key) {
    if (!claimKey(key)) throw DuplicateKeyError(key);
    items_.push_back(std::move(item));
}

bool OffsetList::tryAdd(const Item& item, const std::string& key) {
    if (!claimKey(key)) return false;
    items_.push_back(item);
    return true;
}

void OffsetList::add(Item item, NumberKey form, int32_t number) {
    if (!byNumber_.try_emplace(numberSlot(form, number), items_.size()).second)
        throw DuplicateKeyError(keyText(form, number));
    items_.push_back(std::move(item));
}

bool OffsetList::tryAdd(const Item& item, NumberKey form, int32_t number) {
    if (!byNumber_.try_emplace(numberSlot(form, number), items_.size()).second) return false;
    items_.push_back(item);
    return true;
}

void OffsetList::removeLast(NumberKey form, int32_t number) {
    byNumber_.erase(numberSlot(form, number));
    items_.pop_back();
}

void OffsetList::removeLast(const std::string& key) {
    if (!key.empty()) {
        uint64_t slot = 0;
        if (parseNumberKey(key, slot))
            byNumber_.erase(slot);
        else
            byText_.erase(key);
    }
    items_.pop_back();
}

const std::size_t* OffsetList::lookup(std::string_view key) const {
    uint64_t slot = 0;
    if (parseNumberKey(key, slot)) {
        auto where = byNumber_.find(slot);
        return where == byNumber_.end() ? nullptr : &where->second;
    }
    auto where = byText_.find(key);
    return where == byText_.end() ? nullptr : &where->second;
}

const OffsetList::Item& OffsetList::at(int32_t number) const {
    if (number < 1 || number > count())
        throw OutOfRangeError("item " + std::to_string(number) + " of a list of " + std::to_string(count()));
    return items_[static_cast<std::size_t>(number - 1)];
}

const OffsetList::Item& OffsetList::byKey(const std::string& key) const {
    const std::size_t* index = lookup(key);
    if (!index) throw MissingKeyError(key);
    return items_[*index];
}

OffsetList::Item OffsetList::find(int32_t number) const {
    if (number < 1 || number > count()) return nullptr;
    return items_[static_cast<std::size_t>(number - 1)];
}

OffsetList::Item OffsetList::find(const std::string& key) const {
    const std::size_t* index = lookup(key);
    return index ? items_[*index] : nullptr;
}

OffsetList::Item OffsetList::find(NumberKey form, int64_t number) const {
    if (number < std::numeric_limits<int32_t>::min() || number > std::numeric_limits<int32_t>::max())
        return form == NumberKey::spaced ? find(keyText(form, number)) : nullptr;
    auto where = byNumber_.find(numberSlot(form, static_cast<int32_t>(number)));
    return where == byNumber_.end() ? nullptr : items_[where->second];
}

bool OffsetList::contains(const std::string& key) const { return lookup(key) != nullptr; }

bool OffsetList::contains(NumberKey form, int32_t number) const {
    return byNumber_.count(numberSlot(form, number)) != 0;
}

}  // namespace kestrel

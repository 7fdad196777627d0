#pragma once
// Rows of attribute values set member after member of one level, the same keys in the same
// order on each: how a calendar fills its members. A caller starts a member's row, sets its
// values one by one under their keys, and finishes the row.
//
// The values of a member of this program's own cube (memory_model.hpp) whose level has seen one
// such row already are gathered as dictionary numbers and added as one whole row, instead of
// a key lookup, a step through the key sequences and a column check per value. Each key
// remembers the dictionary numbers of the small numbers and codes it met and of the last code
// and text, so that most values never reach the dictionary. Every other row is set value by
// value through Member::setAttribute: the first of a level (which shows the keys in their
// order), a row of a member that has values already, a row that sets other keys than the first
// one did, and every row of another cube's members (a host's, over automation). Readers see the
// same values under the same keys in the same order either way, and a key the level lacks
// fails as Member::setAttribute fails.
//
// Whole rows wait and are added together, kRowsAddedTogether at a time: a member's values are
// its own once its row is added, by flush() at the latest. A row elsewhere (another level,
// another store) and forget() add the waiting rows first, and so does the writer's end.
//
// Keys are texts that outlive the rows (literals): a key is recognised by its address before
// its text is compared.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "cube/cube_model.hpp"

namespace annalex::cube {

class MemberStore;

class AttributeRows {
  public:
    AttributeRows() = default;
    AttributeRows(const AttributeRows&) = delete;
    AttributeRows& operator=(const AttributeRows&) = delete;
    ~AttributeRows();

    // Starts member's row; a row started before must have been finished.
    void start(Member& member);
    [[gnu::always_inline]] void text(std::string_view key, std::string_view value) {
        Key* next = gathering(key);
        if (next != nullptr && next->hasLastText && next->lastText == value) {
            take(next->lastTextNumber);
            return;
        }
        textElsewhere(key, value);
    }
    // The decimal digits of value, "-" first when negative.
    [[gnu::always_inline]] void number(std::string_view key, std::int64_t value) {
        Key* next = gathering(key);
        const std::uint32_t known = next != nullptr ? next->numberOf(value) : kUnknown;
        if (known != kUnknown) {
            take(known);
            return;
        }
        numberElsewhere(key, value);
    }
    // text, which code stands for: under a key, the same code comes with the same text until
    // forget() (a date's day count for its ISO text, a weekday's number for its name).
    [[gnu::always_inline]] void coded(std::string_view key, std::int64_t code,
                                      std::string_view text) {
        Key* next = gathering(key);
        const std::uint32_t known = next != nullptr ? next->numberOf(code) : kUnknown;
        if (known != kUnknown) {
            take(known);
            return;
        }
        codedElsewhere(key, code, text);
    }
    // Ends the row started last. A row set value by value is the member's from here on; a
    // whole row waits to be added with others (above).
    void finish();
    // Adds the rows waiting.
    void flush();
    // Adds the rows waiting, and forgets the keys and what the codes stood for, as a new
    // generation starts.
    void forget();

  private:
    static constexpr std::uint32_t kUnknown = 0xFFFFFFFFu;
    static constexpr std::size_t kRowsAddedTogether = 256;

    struct Key {
        std::string_view seen;  // as the learned row passed it
        std::string text;
        std::uint16_t position = 0;  // of its definition on the level
        // The dictionary numbers of the small codes (from 0) met, kUnknown for the others.
        std::vector<std::uint32_t> smallCodes;
        // The last other code, and the last text, each with its dictionary number.
        bool hasLastCode = false;
        std::int64_t lastCode = 0;
        std::uint32_t lastCodeNumber = 0;
        bool hasLastText = false;
        std::string lastText;
        std::uint32_t lastTextNumber = 0;

        // The dictionary number of code when known here, else kUnknown.
        std::uint32_t numberOf(std::int64_t code) const {
            if (code >= 0 && static_cast<std::uint64_t>(code) < smallCodes.size()) {
                return smallCodes[static_cast<std::size_t>(code)];
            }
            return hasLastCode && lastCode == code ? lastCodeNumber : kUnknown;
        }
    };
    enum class Mode { PerValue, Learning, Whole };

    // The key the row's next value goes under when the row is gathered and key is that one;
    // null otherwise.
    [[gnu::always_inline]] Key* gathering(std::string_view key) {
        if (mode_ != Mode::Whole || next_ >= keys_.size()) {
            return nullptr;
        }
        Key& next = keys_[next_];
        const bool same =
            (key.data() == next.seen.data() && key.size() == next.seen.size()) || key == next.text;
        return same ? &next : nullptr;
    }
    // Puts number as the next key's value of the gathered row.
    void take(std::uint32_t number) { row_[next_++] = number; }
    // What text, number and coded do beyond what they find at hand.
    void textElsewhere(std::string_view key, std::string_view value);
    void numberElsewhere(std::string_view key, std::int64_t value);
    void codedElsewhere(std::string_view key, std::int64_t code, std::string_view text);
    // The dictionary number of the text code stands for under key, remembered; text is called
    // for the text.
    template <typename MakeText>
    std::uint32_t numberOfCode(Key& key, std::int64_t code, const MakeText& text);
    // Gives up gathering the current row: the values gathered so far are set one by one, and so
    // is every later value of the row.
    void setGatheredOneByOne();
    // Forgets the numbers of the row being gathered.
    void dropGathered();
    void setOneByOne(std::string_view key, std::string_view value);

    Mode mode_ = Mode::PerValue;
    Member* member_ = nullptr;
    // Where the learned keys hold: the store, its epoch, the level's position and how its
    // definitions stood.
    MemberStore* store_ = nullptr;
    std::weak_ptr<MemberStore> storeAlive_;
    std::uint64_t epoch_ = 0;
    std::size_t level_ = 0;
    std::size_t definitions_ = 0;
    std::uint64_t renamings_ = 0;
    std::uint32_t id_ = 0;
    // The learned keys in order and the sequence the level's attribute values give them; empty
    // until a row was learned.
    std::vector<Key> keys_;
    std::uint32_t sequence_ = 0;
    // The row being gathered: the next key's place, and its numbers, at rowBegin_ of the
    // waiting ones (room for every key is made when the row starts).
    std::size_t next_ = 0;
    std::size_t rowBegin_ = 0;
    std::uint32_t* row_ = nullptr;
    // The keys the learning row passed, in order.
    std::vector<Key> learning_;
    // The members whose whole rows wait, and the rows' numbers one row after the other (and
    // the numbers of the row being gathered after them).
    std::vector<std::uint32_t> waitingIds_;
    std::vector<std::uint32_t> waitingNumbers_;
};

}  // namespace annalex::cube

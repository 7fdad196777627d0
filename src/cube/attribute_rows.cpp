#include "cube/attribute_rows.hpp"

#include <charconv>
#include <new>
#include <typeinfo>

#include "cube/memory_model.hpp"

namespace annalex::cube {
namespace {

// Codes and numbers from 0 below this have their dictionary numbers remembered per key: day,
// week and month positions, counts of days and weeks, weekdays.
constexpr std::int64_t kSmallCodes = 1024;

}  // namespace

void AttributeRows::start(Member& member) {
    if (mode_ == Mode::Whole) {
        dropGathered();  // a row left unfinished
    }
    member_ = &member;
    mode_ = Mode::PerValue;
    next_ = 0;
    learning_.clear();
    // The concrete member class is final, so comparing the exact type is enough.
    if (typeid(member) != typeid(MemoryMember)) {
        return;
    }
    auto& own = static_cast<MemoryMember&>(member);
    if (!own.live()) {
        return;  // setAttribute says what is wrong
    }
    const std::shared_ptr<MemberStore>& placedIn = own.placedStore();
    MemberStore* store = placedIn.get();
    const std::uint32_t id = own.placedId();
    const MemberRecord& record = store->member(id);
    const std::size_t definitions = store->level(record.level)->attributeDefs().size();
    const std::uint64_t renamings = detail::definitionRenamings.load(std::memory_order_relaxed);
    // While the store the keys were learned in lives, no other store has its address.
    const bool learned = !keys_.empty() && !storeAlive_.expired() && store == store_ &&
                         store->epoch() == epoch_ && record.level == level_ &&
                         definitions == definitions_ && renamings == renamings_;
    // The rows waiting are added before a row elsewhere, and before a member met again (the
    // members come in placement order, so a waiting one has a smaller id).
    if (!waitingIds_.empty() && (!learned || id <= waitingIds_.back())) {
        flush();
    }
    if (record.attributeRow != kNoRow) {
        return;  // values set again replace the old ones in their places
    }
    id_ = id;
    if (learned) {
        // The row's numbers go straight to the end of the waiting ones.
        rowBegin_ = waitingNumbers_.size();
        waitingNumbers_.resize(rowBegin_ + keys_.size());
        row_ = waitingNumbers_.data() + rowBegin_;
        mode_ = Mode::Whole;
        return;
    }
    keys_.clear();
    store_ = store;
    storeAlive_ = placedIn;
    epoch_ = store->epoch();
    level_ = record.level;
    mode_ = Mode::Learning;
}

void AttributeRows::textElsewhere(std::string_view key, std::string_view value) {
    if (Key* next = gathering(key)) {
        next->lastTextNumber = store_->internAttribute(level_, next->position, value);
        next->lastText.assign(value);
        next->hasLastText = true;
        take(next->lastTextNumber);
        return;
    }
    if (mode_ == Mode::Whole) {
        setGatheredOneByOne();
    }
    setOneByOne(key, value);
}

template <typename MakeText>
std::uint32_t AttributeRows::numberOfCode(Key& key, std::int64_t code, const MakeText& text) {
    const std::uint32_t number = store_->internAttribute(level_, key.position, text());
    if (code >= 0 && code < kSmallCodes) {
        const auto at = static_cast<std::size_t>(code);
        if (at >= key.smallCodes.size()) {
            key.smallCodes.resize(at + 1, kUnknown);
        }
        key.smallCodes[at] = number;
    } else {
        key.lastCode = code;
        key.lastCodeNumber = number;
        key.hasLastCode = true;
    }
    return number;
}

void AttributeRows::codedElsewhere(std::string_view key, std::int64_t code, std::string_view text) {
    if (Key* next = gathering(key)) {
        take(numberOfCode(*next, code, [&] { return text; }));
        return;
    }
    textElsewhere(key, text);
}

void AttributeRows::numberElsewhere(std::string_view key, std::int64_t value) {
    char digits[24];
    const auto decimal = [&] {
        const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
        return std::string_view(digits, static_cast<std::size_t>(end - digits));
    };
    if (Key* next = gathering(key)) {
        take(numberOfCode(*next, value, decimal));
        return;
    }
    textElsewhere(key, decimal());
}

void AttributeRows::finish() {
    if (mode_ == Mode::Whole) {
        if (next_ == keys_.size()) {
            try {
                waitingIds_.push_back(id_);
            } catch (const std::bad_alloc&) {
                dropGathered();
                throw;
            }
            mode_ = Mode::PerValue;
            if (waitingIds_.size() >= kRowsAddedTogether) {
                flush();
            }
        } else {
            setGatheredOneByOne();  // a shorter row: set as it came
        }
    } else if (mode_ == Mode::Learning) {
        // The row's sequence holds its keys in the order set; a key set twice shows once, and
        // such rows are not learned from.
        const MemberRecord& record = store_->member(id_);
        keys_.clear();
        if (record.attributeRow != kNoRow) {
            const LevelAttributes& values = store_->levelAttributes(level_);
            const std::uint32_t sequence = values.sequenceOf(record.attributeRow);
            const auto positions = values.sequenceKeys(sequence);
            if (positions.size() == learning_.size()) {
                keys_.swap(learning_);
                for (std::size_t i = 0; i < positions.size(); ++i) {
                    keys_[i].position = positions[i];
                }
                sequence_ = sequence;
                definitions_ = store_->level(level_)->attributeDefs().size();
                renamings_ = detail::definitionRenamings.load(std::memory_order_relaxed);
            }
        }
        learning_.clear();
    }
    mode_ = Mode::PerValue;
    member_ = nullptr;
}

void AttributeRows::flush() {
    if (mode_ == Mode::Whole) {
        setGatheredOneByOne();  // the row being gathered goes on value by value
    }
    if (waitingIds_.empty()) {
        return;
    }
    // Rows of members removed meanwhile (their store gone or renumbered) are dropped; so are
    // rows that memory ran out for.
    try {
        if (!storeAlive_.expired() && store_->epoch() == epoch_) {
            store_->addAttributeRows(level_, sequence_, waitingIds_, waitingNumbers_);
        }
    } catch (const std::bad_alloc&) {
        waitingIds_.clear();
        waitingNumbers_.clear();
        throw;
    }
    waitingIds_.clear();
    waitingNumbers_.clear();
}

AttributeRows::~AttributeRows() {
    if (mode_ == Mode::Whole) {
        dropGathered();  // a row left unfinished
    }
    try {
        flush();
    } catch (const std::bad_alloc&) {
        // Memory ran out: the waiting members stay without values.
    }
}

void AttributeRows::forget() {
    flush();
    keys_.clear();
    store_ = nullptr;
    storeAlive_.reset();
}

void AttributeRows::dropGathered() {
    waitingNumbers_.resize(rowBegin_);
    row_ = nullptr;
    mode_ = Mode::PerValue;
}

void AttributeRows::setGatheredOneByOne() {
    const LevelAttributes& values = store_->levelAttributes(level_);
    std::vector<std::string> texts;
    for (std::size_t i = 0; i < next_; ++i) {
        texts.emplace_back(values.dictionary(keys_[i].position).text(row_[i]));
    }
    dropGathered();
    for (std::size_t i = 0; i < texts.size(); ++i) {
        member_->setAttribute(keys_[i].text, texts[i]);
    }
}

void AttributeRows::setOneByOne(std::string_view key, std::string_view value) {
    if (mode_ == Mode::Learning) {
        Key learned;
        learned.seen = key;
        learned.text.assign(key);
        learning_.push_back(std::move(learned));
    }
    member_->setAttribute(key, value);
}

}  // namespace annalex::cube

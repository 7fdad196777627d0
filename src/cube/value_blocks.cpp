#include "cube/value_blocks.hpp"

#include <algorithm>
#include <string>
#include <string_view>

#include "cube/member_store.hpp"
#include "cube/memory_model.hpp"

namespace annalex::cube {
namespace {

constexpr std::uint32_t kNone = 0xFFFFFFFFu;

std::size_t sharedPrefix(std::string_view before, std::string_view text) {
    const std::size_t most = std::min({before.size(), text.size(), kLongestSharedPrefix});
    std::size_t shared = 0;
    while (shared < most && before[shared] == text[shared]) {
        ++shared;
    }
    return shared;
}

}  // namespace

void ValuePacker::pack(const MemberStore& store, const MembersByLevel& members,
                       BlockWriter& writer) {
    std::vector<std::size_t> levels;  // those with a member that has values
    for (std::size_t level = 0; level < members.size(); ++level) {
        for (const std::uint32_t id : members[level]) {
            if (store.member(id).attributeRow != kNoRow) {
                levels.push_back(level);
                break;
            }
        }
    }
    writer.number(levels.size());
    for (const std::size_t level : levels) {
        packLevel(store, level, members[level], writer);
    }
}

void ValuePacker::packLevel(const MemberStore& store, std::size_t level,
                            const std::vector<std::uint32_t>& ids, BlockWriter& writer) {
    const LevelAttributes& values = store.levelAttributes(level);
    writer.number(level);

    // The sequences the members use, numbered from 1 in the order of first use.
    blockSequenceOf_.assign(values.sequenceCount(), 0);
    usedSequences_.clear();
    rowSequences_.clear();
    rows_.clear();
    for (const std::uint32_t id : ids) {
        const std::uint32_t row = store.member(id).attributeRow;
        rows_.push_back(row);
        if (row == kNoRow) {
            rowSequences_.push_back(0);
            continue;
        }
        std::uint32_t& number = blockSequenceOf_[values.sequenceOf(row)];
        if (number == 0) {
            usedSequences_.push_back(values.sequenceOf(row));
            number = static_cast<std::uint32_t>(usedSequences_.size());
        }
        rowSequences_.push_back(number);
    }
    writer.number(usedSequences_.size());
    keys_.clear();
    for (const std::uint32_t sequence : usedSequences_) {
        const auto keys = values.sequenceKeys(sequence);
        writer.number(keys.size());
        for (const std::uint16_t key : keys) {
            writer.number(key);
        }
        keys_.insert(keys_.end(), keys.begin(), keys.end());
    }
    writer.runs(rowSequences_);
    std::sort(keys_.begin(), keys_.end());
    keys_.erase(std::unique(keys_.begin(), keys_.end()), keys_.end());

    for (const std::uint16_t key : keys_) {
        holdsKey_.assign(usedSequences_.size() + 1, 0);
        for (std::size_t b = 0; b < usedSequences_.size(); ++b) {
            const auto keys = values.sequenceKeys(usedSequences_[b]);
            holdsKey_[b + 1] = std::find(keys.begin(), keys.end(), key) != keys.end() ? 1 : 0;
        }
        // The texts the block uses, numbered in the order of first use.
        const TextDictionary& texts = values.dictionary(key);
        const IndexColumn& numbers = values.numbers(key);
        if (blockNumberOf_.size() < texts.size()) {
            blockNumberOf_.resize(texts.size(), kNone);
        }
        usedTexts_.clear();
        numbers_.clear();
        for (std::size_t i = 0; i < ids.size(); ++i) {
            if (holdsKey_[rowSequences_[i]] == 0) {
                continue;
            }
            const std::uint32_t number = numbers.get(rows_[i]);
            std::uint32_t& blockNumber = blockNumberOf_[number];
            if (blockNumber == kNone) {
                blockNumber = static_cast<std::uint32_t>(usedTexts_.size());
                usedTexts_.push_back(number);
            }
            numbers_.push_back(blockNumber);
        }
        writer.number(usedTexts_.size());
        std::string_view before;
        for (const std::uint32_t number : usedTexts_) {
            const std::string_view text = texts.text(number);
            const std::size_t shared = sharedPrefix(before, text);
            writer.number(shared);
            writer.text(text.substr(shared));
            before = text;
            blockNumberOf_[number] = kNone;  // ready for the next key
        }
        writer.runs(numbers_);
    }
}

void unpackValues(BlockReader& reader, const MembersByLevel& members, MemberStore& store) {
    const std::uint64_t levelCount = reader.number(store.levelCount(), "level count");
    std::vector<std::vector<std::uint16_t>> sequenceKeys;  // by block sequence
    std::vector<std::uint32_t> sequences;                  // of the level, by block sequence
    std::vector<std::uint32_t> lastSequenceOf;             // by definition
    std::vector<std::uint32_t> rowSequences;
    std::vector<std::uint16_t> keys;                     // of every sequence, ascending
    std::vector<std::uint32_t> keyIndex;                 // by definition: position in keys
    std::vector<std::size_t> holders;                    // by position in keys
    std::vector<std::vector<std::uint32_t>> keyNumbers;  // by position in keys
    std::vector<std::uint32_t> dictionary;
    std::vector<std::uint32_t> numbers;
    std::string text;
    std::uint64_t previousLevel = 0;
    for (std::uint64_t l = 0; l < levelCount; ++l) {
        const auto level =
            static_cast<std::size_t>(reader.number(store.levelCount() - 1, "level of values"));
        if (l > 0 && level <= previousLevel) {
            throw BadMemberBlock("the values of level " + std::to_string(level) +
                                 " are out of place");
        }
        previousLevel = level;
        const MemoryLevel& owner = *store.level(level);
        const auto& definitions = owner.attributeDefs();
        const std::vector<std::uint32_t>& ids = members[level];
        LevelAttributes& values = store.levelAttributes(level);

        const auto sequenceCount =
            static_cast<std::uint32_t>(reader.number(ids.size(), "key sequence count"));
        sequenceKeys.assign(std::size_t{sequenceCount} + 1, {});
        sequences.assign(std::size_t{sequenceCount} + 1, 0);
        lastSequenceOf.assign(definitions.size(), 0);
        keys.clear();
        for (std::uint32_t s = 1; s <= sequenceCount; ++s) {
            const std::uint64_t length = reader.number(definitions.size(), "key count");
            if (length == 0) {
                throw BadMemberBlock("a key sequence of level " + std::to_string(level) +
                                     " is empty");
            }
            for (std::uint64_t k = 0; k < length; ++k) {
                const auto key = static_cast<std::uint16_t>(
                    reader.number(definitions.size() - 1, "attribute definition"));
                // A value is set through the first definition of its key: one stored under a
                // later definition of the same key could not be set back.
                if (lastSequenceOf[key] == s ||
                    owner.attributeIndex(definitions[key]->key()) != static_cast<int>(key)) {
                    throw BadMemberBlock("a key sequence of level " + std::to_string(level) +
                                         " is out of place");
                }
                if (lastSequenceOf[key] == 0) {
                    keys.push_back(key);
                }
                lastSequenceOf[key] = s;
                sequenceKeys[s].push_back(key);
            }
            sequences[s] = values.sequenceFor(sequenceKeys[s]);
        }
        reader.runs(ids.size(), sequenceCount + 1, "key sequence", rowSequences);

        std::sort(keys.begin(), keys.end());
        keyIndex.assign(definitions.size(), 0);
        for (std::size_t k = 0; k < keys.size(); ++k) {
            keyIndex[keys[k]] = static_cast<std::uint32_t>(k);
        }
        holders.assign(keys.size(), 0);
        for (const std::uint32_t s : rowSequences) {
            for (const std::uint16_t key : sequenceKeys[s]) {
                ++holders[keyIndex[key]];
            }
        }
        keyNumbers.resize(keys.size());
        for (std::size_t k = 0; k < keys.size(); ++k) {
            const auto size =
                static_cast<std::uint32_t>(reader.number(holders[k], "dictionary size"));
            dictionary.clear();
            text.clear();
            for (std::uint32_t d = 0; d < size; ++d) {
                text.resize(static_cast<std::size_t>(reader.number(
                    std::min(text.size(), kLongestSharedPrefix), "shared text length")));
                text.append(reader.text("text length"));
                dictionary.push_back(values.intern(keys[k], text));
            }
            reader.runs(holders[k], size, "attribute value", numbers);
            keyNumbers[k].clear();
            for (const std::uint32_t number : numbers) {
                keyNumbers[k].push_back(dictionary[number]);
            }
        }

        // Each member takes the next value of every key of its sequence.
        std::vector<std::size_t> next(keys.size(), 0);
        for (std::size_t i = 0; i < ids.size(); ++i) {
            const std::uint32_t s = rowSequences[i];
            if (s == 0) {
                continue;
            }
            numbers.clear();
            for (const std::uint16_t key : sequenceKeys[s]) {
                const std::uint32_t k = keyIndex[key];
                numbers.push_back(keyNumbers[k][next[k]++]);
            }
            store.addAttributeRow(ids[i], sequences[s], numbers);
        }
    }
}

}  // namespace annalex::cube

#pragma once
// The enumerators of connection points and connections (IEnumConnectionPoints,
// IEnumConnections): each enumerates the items as they were when it was made, and a clone
// starts where its original stands.

#include <memory>
#include <vector>

#include "platform/com_object.hpp"

namespace annalex::platform {

// Enum: the enumerator interface; Item: what Next hands out; Held: how the snapshot keeps one.
template <typename Enum, typename Item, typename Held>
class SnapshotEnumerator : public Enum, public ComObjectBase {
  public:
    // Fills an item for the caller, with a reference of its own.
    using CopyOut = void (*)(const Held& held, Item* item);

    SnapshotEnumerator(std::shared_ptr<const std::vector<Held>> items, CopyOut copyOut,
                       std::size_t position = 0)
        : items_(std::move(items)), copyOut_(copyOut), position_(position) {}

    HRESULT STDMETHODCALLTYPE Next(ULONG count, Item* items, ULONG* fetched) override {
        if (items == nullptr || (count > 1 && fetched == nullptr)) {
            return E_POINTER;
        }
        ULONG given = 0;
        for (; given < count && position_ < items_->size(); ++given, ++position_) {
            copyOut_((*items_)[position_], &items[given]);
        }
        if (fetched != nullptr) {
            *fetched = given;
        }
        return given == count ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
        const std::size_t left = items_->size() - position_;
        position_ += count < left ? count : left;
        return count <= left ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Reset() override {
        position_ = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Clone(Enum** clone) override {
        if (clone == nullptr) {
            return E_POINTER;
        }
        auto copy = createObject<SnapshotEnumerator>(items_, copyOut_, position_);
        *clone = copy.Detach();
        return *clone == nullptr ? E_OUTOFMEMORY : S_OK;
    }

  protected:
    IUnknown* findInterface(REFIID riid) override {
        return IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, __uuidof(Enum))
                   ? static_cast<Enum*>(this)
                   : nullptr;
    }

  private:
    std::shared_ptr<const std::vector<Held>> items_;
    CopyOut copyOut_;
    std::size_t position_;
};

}  // namespace annalex::platform

#pragma once
// The in-process server's contract with its hosts: class identifiers and the interfaces of the
// control and of the cube objects it fills, as C++ vtables (IUnknown-based, standard call
// convention, so any COM host in the same apartment can call them).
//
// AnnalexCtrl (CLSID_AnnalexCtrl, ProgID "Annalex.AnnalexCtrl") offers IAnnalexCtrl: the two
// object properties theCube and theTimeDimension (held by reference and handed back as given),
// the page's inputs a host drives without a window (the six date boxes, the three format lists,
// the level ticks, the calendar type, OK and Cancel) and an advise method for the outgoing
// IAnnalexCtrlEvents sink. The page has no window here: the message boxes it would show are
// kept, in order, for the host to read (MessageCount, Message), and so are the reports of
// unexpected failures, under the title "Unexpected failure".
//
// AnnalexCube (CLSID_AnnalexCube, ProgID "Annalex.Cube") is the product's in-memory cube model.
// A host creates one, takes a dimension from it for theTimeDimension, and after OK reads back
// what was written: hierarchies, levels with type codes and attribute definitions, and members
// with names, positions, parents and attribute values.
//
// Indexes: hierarchies and levels count from 1 (as the cube model does), members, attribute
// definitions, attribute values and messages from 0. Out-of-range indexes give E_INVALIDARG,
// null out-pointers E_POINTER; strings are BSTRs the caller frees.

#include <objbase.h>
#include <oleauto.h>

// {ca018ca7-540f-4e50-9b66-4660d6e21743}
inline constexpr CLSID CLSID_AnnalexCtrl = {
    0xca018ca7, 0x540f, 0x4e50, {0x9b, 0x66, 0x46, 0x60, 0xd6, 0xe2, 0x17, 0x43}};
// {f4c6539c-9e8e-4fcf-8c83-34823e0c9c9b}
inline constexpr CLSID CLSID_AnnalexCube = {
    0xf4c6539c, 0x9e8e, 0x4fcf, {0x8c, 0x83, 0x34, 0x82, 0x3e, 0x0c, 0x9c, 0x9b}};

inline constexpr IID IID_IAnnalexCtrl = {
    0xd4bfaa86, 0x703e, 0x46fe, {0x81, 0x94, 0x6f, 0x7b, 0x8b, 0x74, 0xd1, 0xfc}};
inline constexpr IID IID_IAnnalexCtrlEvents = {
    0x6f5a8244, 0x6c92, 0x4d0f, {0x87, 0x5a, 0x45, 0xe3, 0xbf, 0xa3, 0xf1, 0xf2}};
inline constexpr IID IID_IAnnalexCube = {
    0x5950e4cc, 0xde3f, 0x4af7, {0x95, 0x73, 0x9c, 0x8e, 0xaa, 0xb9, 0xc6, 0x7b}};
inline constexpr IID IID_IAnnalexDimension = {
    0x3f840a6d, 0x1aa1, 0x4718, {0x95, 0xcf, 0x74, 0x33, 0x99, 0x9f, 0x63, 0x3f}};
inline constexpr IID IID_IAnnalexHierarchy = {
    0xf377cfab, 0xb938, 0x4733, {0x83, 0x07, 0x05, 0x9c, 0x7e, 0x87, 0x9d, 0x06}};
inline constexpr IID IID_IAnnalexLevel = {
    0x2fcd0d38, 0x3b64, 0x4e33, {0xa3, 0x44, 0x0d, 0xe9, 0x37, 0x21, 0x7e, 0x65}};
inline constexpr IID IID_IAnnalexMember = {
    0x36507095, 0x271c, 0x4c6f, {0x8f, 0x88, 0x02, 0x3a, 0x38, 0x8f, 0x4d, 0x09}};

// The six date boxes, in tab order.
enum class AnnalexDateBox : long {
    txtStartDay = 0,
    txtStartMonth = 1,
    txtStartYear = 2,
    txtEndDay = 3,
    txtEndMonth = 4,
    txtEndYear = 5,
};

// The three member-name format lists.
enum class AnnalexFormatList : long { cmbDay = 0, cmbMonth = 1, cmbYear = 2 };

// COM interfaces have no virtual destructor by design: an object is destroyed by its own Release,
// never deleted through an interface pointer.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"

struct IAnnalexDimension;
struct IAnnalexHierarchy;
struct IAnnalexLevel;
struct IAnnalexMember;

// The host's sink for the control's events.
struct IAnnalexCtrlEvents : public IUnknown {
    // False when Cancel was pressed, true when OK has generated the calendar.
    virtual HRESULT STDMETHODCALLTYPE wizardResult(VARIANT_BOOL result) = 0;
    // Declared for hosts; the control never raises it.
    virtual HRESULT STDMETHODCALLTYPE stepDescription(BSTR description, short stepNumber) = 0;
};

struct IAnnalexCube : public IUnknown {
    // The dimension of that name, created when the cube has none.
    virtual HRESULT STDMETHODCALLTYPE EnsureDimension(BSTR name, IAnnalexDimension** dimension) = 0;
};

struct IAnnalexCtrl : public IUnknown {
    // theCube: the host's cube, stored and handed back, not otherwise used. Null when unset.
    virtual HRESULT STDMETHODCALLTYPE get_theCube(IAnnalexCube** aCube) = 0;
    virtual HRESULT STDMETHODCALLTYPE putref_theCube(IAnnalexCube* aCube) = 0;
    // theTimeDimension: the dimension OK fills; it must be a dimension of an AnnalexCube
    // (E_INVALIDARG otherwise). Null when unset.
    virtual HRESULT STDMETHODCALLTYPE get_theTimeDimension(IAnnalexDimension** aTimeDimension) = 0;
    virtual HRESULT STDMETHODCALLTYPE
    putref_theTimeDimension(IAnnalexDimension* aTimeDimension) = 0;

    // A date box's text; setting it fires the box's change handler, as typing does.
    virtual HRESULT STDMETHODCALLTYPE get_DateBox(AnnalexDateBox box, BSTR* text) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_DateBox(AnnalexDateBox box, BSTR text) = 0;
    // A format list's selected entry; selecting fires the list's click handler.
    virtual HRESULT STDMETHODCALLTYPE get_FormatIndex(AnnalexFormatList list, short* index) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_FormatIndex(AnnalexFormatList list, short index) = 0;
    // The tick of a level list entry: 0 Year, 1 Quarter, 2 Month, 3 Week, 4 Day.
    virtual HRESULT STDMETHODCALLTYPE get_LevelTicked(short entry, VARIANT_BOOL* ticked) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_LevelTicked(short entry, VARIANT_BOOL ticked) = 0;
    // Clicks an option button of the calendar type: 0 Gregorian, 1 Fiscal.
    virtual HRESULT STDMETHODCALLTYPE ClickCalendarType(short index) = 0;
    // Press OK (generation runs before the call returns) or Cancel.
    virtual HRESULT STDMETHODCALLTYPE ClickOk() = 0;
    virtual HRESULT STDMETHODCALLTYPE ClickCancel() = 0;

    // The message boxes the page has shown, oldest first.
    virtual HRESULT STDMETHODCALLTYPE get_MessageCount(long* count) = 0;
    virtual HRESULT STDMETHODCALLTYPE Message(long index, BSTR* title, BSTR* text) = 0;

    // Connects a sink for the events; the cookie disconnects it.
    virtual HRESULT STDMETHODCALLTYPE Advise(IAnnalexCtrlEvents* sink, DWORD* cookie) = 0;
    virtual HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) = 0;
};

struct IAnnalexDimension : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE get_Name(BSTR* name) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_HierarchyCount(short* count) = 0;
    virtual HRESULT STDMETHODCALLTYPE Hierarchy(short index, IAnnalexHierarchy** hierarchy) = 0;
};

struct IAnnalexHierarchy : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE get_Name(BSTR* name) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_LevelCount(long* count) = 0;
    virtual HRESULT STDMETHODCALLTYPE Level(long position, IAnnalexLevel** level) = 0;
    // Members in the order they were placed (a parent always before its children).
    virtual HRESULT STDMETHODCALLTYPE get_MemberCount(long* count) = 0;
    virtual HRESULT STDMETHODCALLTYPE Member(long index, IAnnalexMember** member) = 0;
};

struct IAnnalexLevel : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE get_Name(BSTR* name) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_LevelType(long* code) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_AttributeDefCount(long* count) = 0;
    virtual HRESULT STDMETHODCALLTYPE AttributeDef(long index, BSTR* key, BSTR* caption) = 0;
};

struct IAnnalexMember : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE get_Name(BSTR* name) = 0;
    // The position given by the generator (putOrder).
    virtual HRESULT STDMETHODCALLTYPE get_Order(long* order) = 0;
    // The position of the member's level, from 1.
    virtual HRESULT STDMETHODCALLTYPE get_LevelPosition(long* position) = 0;
    // The parent's index in the hierarchy's member list; -1 for a top member.
    virtual HRESULT STDMETHODCALLTYPE get_ParentIndex(long* index) = 0;
    // Attribute values in the order they were set.
    virtual HRESULT STDMETHODCALLTYPE get_AttributeCount(long* count) = 0;
    virtual HRESULT STDMETHODCALLTYPE Attribute(long index, BSTR* key, BSTR* value) = 0;
};

#pragma GCC diagnostic pop

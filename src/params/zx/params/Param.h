#pragma once

// How a parameter of the account set is declared: once, with its category,
// key and default, the control that shows it, how its stored text becomes the
// control's state and back, who may change it, and whether the change log
// watches it. The pages, the load, the save, change marking, the change log
// and the automation all derive from these declarations; nothing here needs
// a widget.

#include <QString>
#include <array>
#include <cstdint>
#include <limits>

namespace zx::params {

// A text as the user reads it (UTF-16 literal).
using Text = const char16_t*;

inline QString text(Text t) {
    return t ? QString::fromUtf16(t) : QString();
}

enum class Kind : std::uint8_t {
    Check,    // check box: state 0, 1, or 2 (greyed)
    Checks,   // control array of check boxes "Name(i)"; items are their captions
    Options,  // option buttons "Name(i)", or the named `members`; items are their captions
    Combo,    // list; items are its entries
    Text,     // free text box
    Number,   // numeric box holding a 32-bit value
    Decimal,  // numeric box holding a decimal number
    Display,  // read-only box showing a value
    // Controls that hold no parameter value.
    Button,
    Label,
    Frame,
    Tree,
    Grid,
    Date,
};

inline constexpr qint32 kMinInt = std::numeric_limits<qint32>::min();
inline constexpr qint32 kMaxInt = std::numeric_limits<qint32>::max();

// A named control of a dialog.
struct Control {
    const char* name = nullptr;  // objectName; the base name of a control array
    Kind kind = Kind::Check;
    Text caption = nullptr;       // check box or option text; the label in front of a field
    std::array<Text, 8> items{};  // captions of the members, or list entries
    std::array<const char*, 3> members{};  // option buttons with names of their own
    const char* labelName = nullptr;       // the label's own system name, if any
    qint32 lower = kMinInt;                // what typing may reach in a numeric box;
    qint32 upper = kMaxInt;                // a stored value outside is shown as it is
    bool spin = false;                     // numeric box with spin buttons
    int maxLength = 0;                     // text box: what its column holds (0: any)
    int chars = 0;                         // preferred width in characters (0: default)
};

// Number of members of a control array or option group, or of list entries.
constexpr int itemCount(const Control& c) {
    int n = 0;
    while (n < int(c.items.size()) && c.items[n]) ++n;
    return n;
}

// The object name of member i: a named member, else "Name(i)".
QString memberName(const Control& c, int i);

// The caption without the colon a label ends with: "税率(%)：" -> "税率(%)".
QString plainCaption(const Control& c);

enum class Cat : std::uint8_t { General, GL, FA, PA, IC, CN };
QString categoryName(Cat c);

// How the stored text becomes the control's state and back. The state of a
// control is an integer (check state, selected index, -1 for none) or a text.
enum class Codec : std::uint8_t {
    Flag,         // ticked when the leading number is not 0; saved "1"/"0"
    FlagNumber,   // ticked when the leading number is not 0; saved 1/0
    FlagOne,      // ticked only when the leading number is 1; saved 1/0
    FlagText,     // unticked only for the text "0" itself; saved 1/0
    FlagTextStr,  // unticked only for the text "0" itself; saved "1"/"0"
    FlagState,    // the stored number is the box's state (2 greyed); saved 1/0
    Index,        // list index = leading number; saved the index
    IndexFrom1,   // list index = leading number - 1; saved index + 1
    ItemData,     // list index = leading number; saved the entry's number
    EntryText,    // the entry equal to the stored text; saved the entry's text
    Option,       // option of the leading number (16-bit); saved the index as text,
                  // the option count when none is selected
    OptionInt,    // option of the leading number (32-bit); saved the index as a number
    YtdType,      // index 1 when the leading number is not 0; only a switch between
                  // the stored states 0 and 1 is written
    SendSide,     // option of the leading number; saved 0, 1, or 2 for anything else
    Zero1,        // option 0 when the leading number is 0, else option 1; saved the same
    NonZero0,     // option 0 when the leading number is not 0; saved 1 for option 0, else 0
    One0,         // option 0 when the leading number is 1; saved 1 for option 0, else 0
    TaxKind,      // "0" option 0, "1" option 1, else none; saved 0/1 (16-bit), none: nothing
    OrgKind,      // 2 option 1, 3 option 2, else option 0; shown only
    Chars3,       // three option pairs, one character each: "0" option 0
    PairCode,     // a pair of boxes: 1 ticks box 0, 2 box 1; saved 1, 2, or 0
    InvoiceKind,  // a box and a list: 0 off, 1 or 2 the entry; saved entry + 1 or 0
    Text,         // the text unchanged; saved the text
    NumberText,   // the leading number as a decimal; saved the box's text
    Number,       // the leading number, rounded to 32 bits; saved the value
    WholeNumber,  // the integer part of the leading number; saved the value
    StrictInt,    // the text must be a number as a whole; saved the value
    Decimal,      // the leading number as a decimal; saved the number
    Page,         // read and written by the page's own steps
};

// When a control may be changed, besides the modify right (a user without it
// sees every value control locked). A control whose rule does not hold is
// disabled and says why in its tooltip.
enum class Lock : std::uint8_t {
    Free,          // whenever the user may modify
    LedgerOpen,    // until the ledger is started
    InitOpen,      // while the ledger holds no initial data
    BusinessOpen,  // until the business system is started
    CashierOpen,   // until the cashier is started
    Needs,         // while the control `needs` names is ticked
    DisplayOnly,   // never here: `note` says where it is set
    Page,          // a rule of the page, which sets the reason itself
};

// Which writes of the save the generic walk makes.
enum class Write : std::uint8_t {
    Changed,  // written when the user changed the control since the load
    Page,     // the page's own step writes it (still only when changed)
    Never,    // shown only; another routine keeps it
};

struct Param {
    Cat cat = Cat::GL;
    const char* key = nullptr;
    const char* def = "0";  // the default every read passes
    Control control;
    Codec codec = Codec::Flag;
    Lock lock = Lock::Free;
    Write write = Write::Changed;
    // The change log's description: kCaption for the control's caption.
    Text watch = nullptr;
    // A second control sharing the key (the list beside a box), or the
    // parameter whose control this one writes from.
    Control second{};
    const Param* shares = nullptr;
    const Param* needs = nullptr;  // Lock::Needs: the box this one depends on
    bool clearedWithout = false;   // Lock::Needs: unticked when that box is unticked
    Text note = nullptr;           // a word for the user: where it is set, what it does
};

// Marks a watched parameter whose description is its caption.
inline constexpr char16_t kCaptionWatch[] = u"\u0001";
inline constexpr Text kCaption = kCaptionWatch;

QString keyOf(const Param& p);
QString defaultOf(const Param& p);
// What the change log writes as the description.
QString watchDescription(const Param& p);
// The caption a user knows the parameter by.
QString captionOf(const Param& p);
// Why its rule disables the parameter's controls, in the user's words; empty
// for a parameter that is always free, or whose page says why itself.
QString lockReason(const Param& p);

}  // namespace zx::params

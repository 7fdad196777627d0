// The member-name format lists and the preview caption beneath them, which shows the combined
// choice on the sample date Monday 1 January 2001.

#include "control/annalex_ctrl.hpp"

namespace annalex::control {

using errors::kControlModule;
using errors::ProcedureLabels;

namespace {

constexpr const char* kDayPieces[] = {"(01-", "(Mon 01-", "(Monday 01-"};
constexpr const char* kMonthPieces[] = {"01-", "Jan-", "January-"};
constexpr const char* kYearPieces[] = {"01)", "2001)"};

}  // namespace

void AnnalexCtrl::rebuildPreview(PreviewPiece piece, std::int16_t index) {
    LineFields pieces;
    builder_.splitLine(page_.lblDateFormat.caption(), "-", pieces);
    const std::string p1 = pieces[1];
    const std::string p2 = pieces[2];
    const std::string p3 = pieces[3];
    switch (piece) {
        case PreviewPiece::Day:
            if (index >= 0 && index <= 2) {
                page_.lblDateFormat.setCaption(kDayPieces[index] + p2 + "-" + p3);
            }
            break;
        case PreviewPiece::Month:
            if (index >= 0 && index <= 2) {
                page_.lblDateFormat.setCaption(p1 + "-" + kMonthPieces[index] + p3);
            }
            break;
        case PreviewPiece::Year:
            if (index >= 0 && index <= 1) {
                page_.lblDateFormat.setCaption(p1 + "-" + p2 + "-" + kYearPieces[index]);
            }
            break;
    }
}

void AnnalexCtrl::cmbDay_Change() {
    static constexpr ProcedureLabels kLabels{kControlModule, "Private Sub cmbDay_Change()"};
    trap_.run(kLabels, [&] { rebuildPreview(PreviewPiece::Day, page_.cmbDay.listIndex()); });
}

void AnnalexCtrl::cmbMonth_Change() {
    static constexpr ProcedureLabels kLabels{kControlModule, "Private Sub cmbMonth_Change()"};
    trap_.run(kLabels, [&] { rebuildPreview(PreviewPiece::Month, page_.cmbMonth.listIndex()); });
}

void AnnalexCtrl::cmbYear_Change() {
    static constexpr ProcedureLabels kLabels{kControlModule, "Private Sub cmbYear_Change()"};
    trap_.run(kLabels, [&] { rebuildPreview(PreviewPiece::Year, page_.cmbYear.listIndex()); });
}

void AnnalexCtrl::cmbDay_Click() {
    static constexpr ProcedureLabels kLabels{kControlModule, "Private Sub cmbDay_Click()"};
    trap_.run(kLabels, [&] { cmbDay_Change(); });
}

void AnnalexCtrl::cmbMonth_Click() {
    static constexpr ProcedureLabels kLabels{kControlModule, "Private Sub cmbMonth_Click()"};
    trap_.run(kLabels, [&] { cmbMonth_Change(); });
}

void AnnalexCtrl::cmbYear_Click() {
    static constexpr ProcedureLabels kLabels{kControlModule, "Private Sub cmbYear_Click()"};
    trap_.run(kLabels, [&] { cmbYear_Change(); });
}

}  // namespace annalex::control

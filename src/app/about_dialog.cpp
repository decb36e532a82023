#include "app/about_dialog.h"

#include <utility>

#include "app/fixed_launches.h"
#include "platform/platform.h"
#include "reelwright_addresses.h"
#include "reelwright_version.h"

namespace {

constexpr const char* kProductLine = "Reelwright " REELWRIGHT_VERSION_TEXT;
constexpr const char* kSecondLine = "Pictures into Flash slideshows";

std::vector<ControlLayout> MakeControls() {
    std::vector<ControlLayout> controls = {
        {kIdStatic, ControlKind::kIcon, "", 17, 13, 20, 20},
        {kIdStatic, ControlKind::kText, kProductLine, 42, 12, 119, 8, true},
        {kIdStatic, ControlKind::kText, kSecondLine, 43, 27, 119, 8},
        {kIdAboutOk, ControlKind::kDefaultButton, "OK", 195, 7, 50, 14},
        {kIdStatic, ControlKind::kText, "HomePage:", 21, 51, 37, 8},
        {kIdStatic, ControlKind::kText, "Email:", 24, 72, 25, 8},
        {kIdAboutHomePage, ControlKind::kLink, kHomePage, 81, 52, 89, 8},
        {kIdAboutMail, ControlKind::kClickableText, kSupportMail, 80, 73, 77, 8},
        {kIdStatic, ControlKind::kText, "Other Products:", 11, 92, 61, 8},
    };
    // The four product links run from y 126 down to y 205, each under its name.
    constexpr int kLinkTops[] = {126, 152, 179, 205};
    for (int i = 0; i < 4; ++i) {
        controls.push_back(
            {kIdStatic, ControlKind::kText, kOtherProducts[i].name, 23, kLinkTops[i] - 12, 150, 8});
        controls.push_back({kIdAboutProduct1 + i, ControlKind::kLink, kOtherProducts[i].page, 35,
                            kLinkTops[i], 200, 8});
    }
    return controls;
}

}  // namespace

AboutDialog::AboutDialog(Platform& platform, std::string caption)
    : platform_(platform),
      caption_(std::move(caption)),
      product4Label_(platform, caption_),
      product3Label_(platform, caption_),
      product2Label_(platform, caption_),
      product1Label_(platform, caption_),
      homePageLabel_(platform, caption_) {}

const std::vector<ControlLayout>& AboutDialog::Controls() {
    static const std::vector<ControlLayout> controls = MakeControls();
    return controls;
}

void AboutDialog::BindLabels(const std::function<LabelRect(const ControlLayout&)>& place,
                             const TextMeasure& measure) {
    for (int id : {kIdAboutProduct4, kIdAboutProduct3, kIdAboutProduct2, kIdAboutProduct1,
                   kIdAboutHomePage}) {
        for (const ControlLayout& control : Controls()) {
            if (control.id == id) {
                GetLabel(id)->Attach(control.text, 0, place(control), measure);
            }
        }
    }
}

HyperlinkLabel* AboutDialog::GetLabel(int id) {
    switch (id) {
        case kIdAboutProduct4:
            return &product4Label_;
        case kIdAboutProduct3:
            return &product3Label_;
        case kIdAboutProduct2:
            return &product2Label_;
        case kIdAboutProduct1:
            return &product1Label_;
        case kIdAboutHomePage:
            return &homePageLabel_;
        default:
            return nullptr;
    }
}

void AboutDialog::OnCommand(int id) {
    if (end_ != AboutDialogEnd::kOpen) {
        return;
    }
    if (id == kIdAboutOk) {
        OnOk();
    } else if (id == kIdAboutCancel) {
        OnCancel();
    } else if (id == kIdAboutMail) {
        OpenSupportMail(platform_);
    } else if (HyperlinkLabel* label = GetLabel(id)) {
        label->OnClick();
    }
}

void AboutDialog::OnOk() {
    if (end_ == AboutDialogEnd::kOpen) {
        end_ = AboutDialogEnd::kOk;
    }
}

void AboutDialog::OnCancel() {
    if (end_ == AboutDialogEnd::kOpen) {
        end_ = AboutDialogEnd::kCancel;
    }
}

// The main dialog's launches: its buttons and clickable statics that open a page,
// the help or the About box.
#include "app/fixed_launches.h"
#include "app/main_dialog.h"

void MainDialog::OnBuyNow() {
    OpenOrderPage(platform_);
}

void MainDialog::OnHelpButton() {
    OpenHelp(platform_);
}

void MainDialog::OnBanner() {
    OpenAffiliatePage(platform_);
}

void MainDialog::OnPartnerLink() {
    OpenPartnerSite(platform_);
}

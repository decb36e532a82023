// The main dialog's launches: its buttons and clickable statics that open a page,
// the help or the About box.
#include "app/about_dialog.h"
#include "app/fixed_launches.h"
#include "app/main_dialog.h"
#include "platform/platform.h"

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

void MainDialog::OnAbout() {
    // A new box for every opening, so its links start unvisited.
    AboutDialog about(platform_, applicationName_);
    platform_.RunAboutDialog(about);
}

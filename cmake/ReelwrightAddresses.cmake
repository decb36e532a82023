# The maker's addresses: the caption, the links of the dialog and the About box, the
# help pages' contact, the desktop metadata and the package all name the same ones.
# They are cache variables so that a rebranded build sets them on the command line
# (-DREELWRIGHT_HOME_PAGE=...) instead of editing sources. Every default lies under
# the reserved .example domain: nothing here points at a real site.

set(REELWRIGHT_MAKER_ADDRESS "www.reelwright.example" CACHE STRING
    "The maker's web address, host name only, as the caption and the home-page label show it")
set(REELWRIGHT_HOME_PAGE "http://www.reelwright.example/" CACHE STRING
    "The maker's home page, with its scheme")
set(REELWRIGHT_ORDER_PAGE "http://www.reelwright.example/buy.html" CACHE STRING
    "The order page that \"Buy Now\" opens")
set(REELWRIGHT_AFFILIATE_PAGE "http://www.partner.example/go?tid=reelwright-19" CACHE STRING
    "The partner's affiliate address that a click on the banner opens")
set(REELWRIGHT_PARTNER_PAGE "http://downloads.partner.example" CACHE STRING
    "The partner's download site behind \"Free web design tools downloads\"")
set(REELWRIGHT_SUPPORT_MAIL "support@reelwright.example" CACHE STRING
    "The support mail address shown in the About box")

# The maker's other products, as the About box lists them.
set(REELWRIGHT_PRODUCT1_NAME "Gifwright" CACHE STRING "First sibling product's name")
set(REELWRIGHT_PRODUCT1_PAGE "http://www.reelwright.example/gifwright/" CACHE STRING
    "First sibling product's page (an animated GIF maker)")
set(REELWRIGHT_PRODUCT2_NAME "Bannerwright" CACHE STRING "Second sibling product's name")
set(REELWRIGHT_PRODUCT2_PAGE "http://www.reelwright.example/bannerwright/" CACHE STRING
    "Second sibling product's page (a web banner designer)")
set(REELWRIGHT_PRODUCT3_NAME "Albumwright" CACHE STRING "Third sibling product's name")
set(REELWRIGHT_PRODUCT3_PAGE "http://www.reelwright.example/albumwright/" CACHE STRING
    "Third sibling product's page (a web photo album builder)")
set(REELWRIGHT_PRODUCT4_NAME "Iconwright" CACHE STRING "Fourth sibling product's name")
set(REELWRIGHT_PRODUCT4_PAGE "http://www.reelwright.example/iconwright/" CACHE STRING
    "Fourth sibling product's page (an icon editor)")

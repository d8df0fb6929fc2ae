// The program's version, as the version box shows it after "Tessary Version ". This is the one
// place it is written: scripts/package names the release after it, with "β" spelled "beta" and
// full-width digits as ASCII ones (β７ is Tessary-beta7-x64.zip).
#pragma once

#define TESSARY_VERSION "β７"

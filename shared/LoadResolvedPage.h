#pragma once

#include "platform/WebView.h"
#include "shared/ViewURLProvider.h"

// Loads a resolved page the way its kind requires: a bundled page with read access to
// its folder only, a site page with its ready-made request.
void loadResolvedPage(platform::WebView& webView, const ViewURLProvider::Result& page);

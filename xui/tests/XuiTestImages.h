// Resource ids of the test images (XuiTestImages.rc).
#pragma once

#define XUI_TEST_PNG_BACKGROUND 201  // 40 x 30, opaque (32, 64, 128)
#define XUI_TEST_PNG_NINE 202        // 8 x 8 frame for insets 3: top-left clear, corners red, edges green, centre blue
#define XUI_TEST_PNG_YELLOW 204      // 4 x 4 opaque yellow
#define XUI_TEST_PNG_RED 205         // 4 x 4 opaque red
#define XUI_TEST_PNG_GREEN 206       // 4 x 4 opaque green
#define XUI_TEST_PNG_HALVES 207      // 8 x 2, left half red, right half blue
#define XUI_TEST_PNG_MISSING 999     // no such resource

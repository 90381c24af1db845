// Resource identifiers of VigilorTaskbar.
#pragma once

#define IDD_ABOUTBOX 103
#define IDM_ABOUT 104
#define IDI_VIGILORTASKBAR 107
#define IDI_SMALL 108
#define IDC_VIGILORTASKBAR 109

#ifndef IDC_STATIC
#define IDC_STATIC -1
#endif

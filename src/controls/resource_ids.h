/* Resource numbers shared by the resource script and the code. The resource compiler
   reads this file too, so it holds preprocessor definitions only. */
#ifndef LOUDMARK_RESOURCE_IDS_H
#define LOUDMARK_RESOURCE_IDS_H

/* Icons: the logo, the bare disc, the logo turned in 45-degree steps, the arrows. */
#define ICON_LOGO      102
#define ICON_DISC      105
#define ICON_LOGO_180  106
#define ICON_LOGO_90   107
#define ICON_LOGO_270  108
#define ICON_LOGO_45   109
#define ICON_LOGO_135  110
#define ICON_LOGO_225  111
#define ICON_LOGO_315  112
#define ICON_UP        113
#define ICON_DOWN      114

/* The configuration dialog. */
#define IDD_CONFIG 2

#define IDC_ENABLE          1501
#define IDC_CLEAN_DATABASE  1601
#define IDC_TRIM_DATABASE   1602
#define IDC_ALWAYS_TRIM     1011

/* Trim bands: one auto radio group. */
#define IDC_BAND_12  1040
#define IDC_BAND_18  1041
#define IDC_BAND_24  1042

#define IDC_HOTKEY  1502

/* Key presets: one auto radio group. */
#define IDC_KEYS_ARROWS    1027
#define IDC_KEYS_PAGE      1028
#define IDC_KEYS_HOME_END  1029
#define IDC_KEYS_INS_DEL   1030
#define IDC_KEYS_NUMPAD    1031

/* Modifier boxes: 2001 plus the bit's index in the modifier mask. */
#define IDC_MOD_LCTRL   2001
#define IDC_MOD_RCTRL   2002
#define IDC_MOD_LSHIFT  2003
#define IDC_MOD_RSHIFT  2004
#define IDC_MOD_LALT    2005
#define IDC_MOD_RALT    2006

#define IDC_LOGO   1008
#define IDC_WIN95  1048

/* Texts and frames the code never touches, named so the script reads plainly. */
#define IDC_TEXT_CLEAN      1003
#define IDC_TEXT_TRIM       1012
#define IDC_GROUP_DATABASE  1013
#define IDC_GROUP_HOTKEYS   1014

#endif /* LOUDMARK_RESOURCE_IDS_H */

/* Quillmere's skin. Start-up paints the window, its frames, option buttons, check boxes and
   labels in the desktop theme's button face; this sheet names colours through palette() alone,
   so it follows the theme, light or dark. Frames (QGroupBox) get no rule: any rule for them
   moves their titles off the theme's place. */
QRadioButton, QCheckBox, QLabel { color: palette(button-text); }

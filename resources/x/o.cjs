/* Quillmere's skin. Its presence makes start-up paint the window, its frames, option buttons,
   check boxes and labels in the desktop theme's button face, with the theme's text colours, so
   the window follows the theme, light or dark. Qt style sheet rules added below are applied to
   the window over that; name colours through palette() to keep following the theme. A sheet of
   comments alone costs nothing at start-up. */

# The face the Linux program writes with: Liberation Sans 2 (SIL Open Font License, Debian's
# fonts-liberation2), whose metrics keep the window at its designed size. It is cut at build
# time to the characters the program can show, Basic Latin and Cyrillic, by fontTools'
# subsetter, keeping the hinting (drawn without antialiasing, the glyphs are hinted to the
# pixel grid) and the missing-glyph box that stands for U+FFFD and characters outside the
# cut. A cut face is a modified version under the licence, so it keeps the copyright,
# trademark and licence records but not the names that present it as Liberation Sans. The
# licence text is resources/licences/LiberationSans-OFL.txt, copied beside the program.
find_program(VELMORRA_PYFTSUBSET pyftsubset REQUIRED)
set(sans_face_dir /usr/share/fonts/truetype/liberation2)
set(sans_face_characters "U+0020-007E,U+0400-04FF,U+FFFD")

foreach(style Regular Bold)
    find_file(VELMORRA_LIBERATION_SANS_${style} LiberationSans-${style}.ttf
        PATHS ${sans_face_dir} NO_DEFAULT_PATH REQUIRED)
    string(TOLOWER ${style} lower)
    set(cut ${CMAKE_CURRENT_BINARY_DIR}/sans-${lower}.ttf)
    add_custom_command(OUTPUT ${cut}
        COMMAND ${VELMORRA_PYFTSUBSET} ${VELMORRA_LIBERATION_SANS_${style}}
            --unicodes=${sans_face_characters} --notdef-outline --layout-features=
            --drop-tables+=GSUB,GPOS,GDEF,kern,FFTM --name-IDs=0,2,5,7,8,9,10,11,12,13,14
            --output-file=${cut}
        DEPENDS ${VELMORRA_LIBERATION_SANS_${style}}
        COMMENT "Cutting Liberation Sans ${style} to the characters the menu shows"
        VERBATIM)
    set(sans_${lower} ${cut})
endforeach()

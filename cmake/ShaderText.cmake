# Writes one shader stage as one side loads it (cmake -P, at build time): the side's header (its
# #version line and whatever else must come first), then the stage's source.
# -DOUTPUT=file -DHEADER=file -DSOURCE=file [-DSCRIPT_KEY=name]
# With SCRIPT_KEY, OUTPUT is a classic script for the page, which cannot fetch a text file when
# opened from disk: it files the text as Velmora.shaders[SCRIPT_KEY].

file(READ "${HEADER}" header)
file(READ "${SOURCE}" source)
set(text "${header}${source}")
if(DEFINED SCRIPT_KEY)
    # The text goes into a template literal, which these three would end or interpolate.
    string(REPLACE "\\" "\\\\" text "${text}")
    string(REPLACE "`" "\\`" text "${text}")
    string(REPLACE "\${" "\\\${" text "${text}")
    file(RELATIVE_PATH from "${CMAKE_CURRENT_LIST_DIR}/.." "${SOURCE}")
    set(text "// Generated at build time from ${from}; do not edit.
\"use strict\";

var Velmora = window.Velmora || {};
window.Velmora = Velmora;
Velmora.shaders = Velmora.shaders || {};

Velmora.shaders[\"${SCRIPT_KEY}\"] = `${text}`;
")
endif()
file(WRITE "${OUTPUT}.tmp" "${text}")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")

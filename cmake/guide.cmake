# The operator's guide as the packages carry it: each page's markdown, its HTML
# form (made by pandoc, the markdown stays the source) and the pictures the pages
# link. The target kelvora_guide writes the HTML pages into ${KELVORA_GUIDE_DIR};
# with KELVORA_GUIDE_IN_ALL set, the build of everything writes them too.
# KELVORA_GUIDE_PAGES names the pages (without .md), KELVORA_GUIDE_PICTURES the
# pictures, each relative to docs/ where the pages' links point.
#
# The pages are the guide and the pages it links, so that every link of the
# package works in the unpacked folder (the package tests check this).
set(KELVORA_GUIDE_PAGES operator-guide command-line preflight-report dxf-outlines)
set(KELVORA_GUIDE_DIR ${CMAKE_BINARY_DIR}/guide)

# Without pandoc a build that packs the guide stops at the configure step, and
# one that does not (scripts/run.sh's) fails only if the guide is asked for.
find_program(KELVORA_PANDOC pandoc)
set(kelvora_no_pandoc "pandoc not found (Debian package pandoc, which scripts/install-deps.sh installs)")
if(NOT KELVORA_PANDOC AND KELVORA_GUIDE_IN_ALL)
  message(FATAL_ERROR "${kelvora_no_pandoc}: the package carries the operator's guide as HTML")
endif()

set(KELVORA_GUIDE_PICTURES "")
set(kelvora_guide_html "")
foreach(page IN LISTS KELVORA_GUIDE_PAGES)
  set(source ${PROJECT_SOURCE_DIR}/docs/${page}.md)
  # Read again whenever it changes: its pictures and title come from it.
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${source})
  file(READ ${source} text)

  # The page's first heading is the title of the browser's window.
  if(NOT text MATCHES "^# ([^\n]+)")
    message(FATAL_ERROR "${source} does not start with a heading")
  endif()
  set(title "${CMAKE_MATCH_1}")

  # Square brackets would keep CMake from splitting the matches into a list.
  string(REPLACE "](" "<link>(" text "${text}")
  string(REGEX REPLACE "[][]" "" text "${text}")
  string(REGEX MATCHALL "<link>\\([^) ]+\\.png[) ]" links "${text}")
  string(REGEX MATCHALL "src=\"[^\"]+\\.png\"" tags "${text}")
  foreach(link IN LISTS links tags)
    string(REGEX REPLACE "^(<link>\\(|src=\")(.*\\.png).$" "\\2" picture "${link}")
    if(picture MATCHES "://")
      continue()  # a picture on the web
    endif()
    # Only pictures inside the docs folder travel with the guide.
    if(picture MATCHES "^[a-zA-Z0-9_./-]+$" AND NOT picture MATCHES "(^|/)\\.\\.(/|$)"
       AND NOT picture MATCHES "^/")
      list(APPEND KELVORA_GUIDE_PICTURES ${picture})
    else()
      message(FATAL_ERROR "${page}.md links a picture outside docs/: ${picture}")
    endif()
  endforeach()

  # GitHub's markdown, as the pages are read in the repository; its headings get
  # the same anchors there and here. The converter's own style is kept for what
  # ours does not set, both inline, so that the page is one file beside its
  # pictures.
  set(html ${KELVORA_GUIDE_DIR}/${page}.html)
  if(NOT KELVORA_PANDOC)
    add_custom_command(OUTPUT ${html}
      COMMAND ${CMAKE_COMMAND} -E echo "${kelvora_no_pandoc}"
      COMMAND ${CMAKE_COMMAND} -E false
      VERBATIM)
    list(APPEND kelvora_guide_html ${html})
    continue()
  endif()
  add_custom_command(OUTPUT ${html}
    COMMAND ${KELVORA_PANDOC} --from gfm --to html5 --standalone
      --metadata "pagetitle=${title}" --metadata lang=en
      --include-in-header ${CMAKE_CURRENT_LIST_DIR}/guide-style.html
      --lua-filter ${CMAKE_CURRENT_LIST_DIR}/guide-links.lua
      --output ${html} ${source}
    DEPENDS ${source} ${CMAKE_CURRENT_LIST_DIR}/guide-style.html
      ${CMAKE_CURRENT_LIST_DIR}/guide-links.lua
    COMMENT "Writing the guide's page ${page}.html"
    VERBATIM)
  list(APPEND kelvora_guide_html ${html})
endforeach()
list(REMOVE_DUPLICATES KELVORA_GUIDE_PICTURES)
if(KELVORA_GUIDE_IN_ALL)
  add_custom_target(kelvora_guide ALL DEPENDS ${kelvora_guide_html})
else()
  add_custom_target(kelvora_guide DEPENDS ${kelvora_guide_html})
endif()

# Installs the pages (HTML and markdown) and the pictures into DESTINATION, each
# picture at the place its relative link names.
function(kelvora_install_guide destination)
  foreach(page IN LISTS KELVORA_GUIDE_PAGES)
    install(FILES ${KELVORA_GUIDE_DIR}/${page}.html ${PROJECT_SOURCE_DIR}/docs/${page}.md
      DESTINATION ${destination})
  endforeach()
  foreach(picture IN LISTS KELVORA_GUIDE_PICTURES)
    get_filename_component(folder ${picture} DIRECTORY)
    if(folder)
      set(folder ${destination}/${folder})
    else()
      set(folder ${destination})
    endif()
    install(FILES ${PROJECT_SOURCE_DIR}/docs/${picture} DESTINATION ${folder})
  endforeach()
endfunction()

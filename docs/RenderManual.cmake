# Renders the manual's Markdown to one HTML page: cmark-gfm for the body, then an id on each
# heading made as the Markdown's own links expect (GitHub's rule: the heading's text in lower
# case, without punctuation, spaces as hyphens), so the contents and cross references work
# offline.
#   cmake -DCMARK=cmark-gfm -DSOURCE=manual.md -DPAGE=page.html.in -DOUTPUT=manual.html
#         -DVERSION=x.y.z -P RenderManual.cmake
cmake_minimum_required(VERSION 3.20)
execute_process(COMMAND ${CMARK} --extension table --unsafe ${SOURCE}
                OUTPUT_VARIABLE html COMMAND_ERROR_IS_FATAL ANY)

string(REGEX MATCHALL "<h[1-6]>[^\n]*</h[1-6]>" headings "${html}")
foreach(heading IN LISTS headings)
  string(REGEX REPLACE "^<h([1-6])>(.*)</h[1-6]>$" "\\1" level "${heading}")
  string(REGEX REPLACE "^<h[1-6]>(.*)</h[1-6]>$" "\\1" text "${heading}")
  string(REGEX REPLACE "<[^>]*>" "" slug "${text}")
  string(REGEX REPLACE "&[a-z]+;" "" slug "${slug}")
  string(TOLOWER "${slug}" slug)
  string(REGEX REPLACE "[^a-z0-9 _-]" "" slug "${slug}")
  string(REPLACE " " "-" slug "${slug}")
  string(REPLACE "${heading}" "<h${level} id=\"${slug}\">${text}</h${level}>" html "${html}")
endforeach()

file(READ ${PAGE} page)
string(REPLACE "@VERSION@" "${VERSION}" page "${page}")
string(REPLACE "@BODY@" "${html}" page "${page}")
file(WRITE ${OUTPUT} "${page}")

# Writes the Qt help project of the help and the course, for qhelpgenerator.
# Run as: cmake -DSOURCE=<data/help> -DOUTPUT=<dir> -P makeqhp.cmake
# The help's folder is copied into OUTPUT (qhelpgenerator reads the pages from
# the project file's own folder) and OUTPUT/cartes-especes.qhp is written from
# the two contents lists (toc.txt: "level|title|page") and the two indexes
# (keywords.txt: "keyword|page#anchor"), the help's then the course's.
cmake_minimum_required(VERSION 3.25)

if(NOT SOURCE OR NOT OUTPUT)
  message(FATAL_ERROR "makeqhp.cmake needs SOURCE and OUTPUT")
endif()

file(REMOVE_RECURSE ${OUTPUT})
file(MAKE_DIRECTORY ${OUTPUT})
foreach(item aide cours images style.css)
  file(COPY ${SOURCE}/${item} DESTINATION ${OUTPUT})
endforeach()

function(xml_escape text out)
  string(REPLACE "&" "&amp;" text "${text}")
  string(REPLACE "<" "&lt;" text "${text}")
  string(REPLACE ">" "&gt;" text "${text}")
  string(REPLACE "\"" "&quot;" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

# The lines of a "|"-separated list, without blank lines and "#" comments.
function(read_lines file out)
  file(STRINGS ${file} lines ENCODING UTF-8)
  set(kept)
  foreach(line IN LISTS lines)
    string(STRIP "${line}" line)
    if(line STREQUAL "" OR line MATCHES "^#")
      continue()
    endif()
    # Semicolons would split the CMake list.
    string(REPLACE ";" "\\;" line "${line}")
    list(APPEND kept "${line}")
  endforeach()
  set(${out} "${kept}" PARENT_SCOPE)
endfunction()

# One top section holding the nested sections of a toc.txt.
function(toc_section folder title out)
  read_lines(${SOURCE}/${folder}/toc.txt lines)
  xml_escape("${title}" title)
  set(xml "      <section title=\"${title}\" ref=\"${folder}/index.html\">\n")
  set(depth 0)
  foreach(line IN LISTS lines)
    if(NOT line MATCHES "^([0-9]+)\\|([^|]+)\\|([^|]+)$")
      message(FATAL_ERROR "${folder}/toc.txt: malformed line \"${line}\"")
    endif()
    set(level ${CMAKE_MATCH_1})
    xml_escape("${CMAKE_MATCH_2}" name)
    set(ref "${folder}/${CMAKE_MATCH_3}")
    math(EXPR next "${depth} + 1")
    if(level GREATER next)
      message(FATAL_ERROR "${folder}/toc.txt: \"${line}\" skips a level")
    endif()
    # Close the sections this line leaves, the previous one included when it
    # is at this line's level.
    while(depth GREATER_EQUAL level)
      string(APPEND xml "      </section>\n")
      math(EXPR depth "${depth} - 1")
    endwhile()
    string(APPEND xml "      <section title=\"${name}\" ref=\"${ref}\">\n")
    set(depth ${level})
  endforeach()
  while(depth GREATER 0)
    string(APPEND xml "      </section>\n")
    math(EXPR depth "${depth} - 1")
  endwhile()
  string(APPEND xml "      </section>\n")
  set(${out} "${xml}" PARENT_SCOPE)
endfunction()

toc_section(aide "Aide : utiliser l'application" aide_toc)
toc_section(cours "Cours : la carte d'identité d'une espèce chimique" cours_toc)

# The index entries of a folder's keywords.txt, their pages in that folder.
function(index_entries folder out)
  set(xml)
  read_lines(${SOURCE}/${folder}/keywords.txt lines)
  foreach(line IN LISTS lines)
    if(NOT line MATCHES "^([^|]+)\\|([^|]+)$")
      message(FATAL_ERROR "${folder}/keywords.txt: malformed line \"${line}\"")
    endif()
    xml_escape("${CMAKE_MATCH_1}" name)
    string(APPEND xml "      <keyword name=\"${name}\" ref=\"${folder}/${CMAKE_MATCH_2}\"/>\n")
  endforeach()
  set(${out} "${xml}" PARENT_SCOPE)
endfunction()

index_entries(aide aide_keywords)
index_entries(cours cours_keywords)
set(keywords "${aide_keywords}${cours_keywords}")

set(files)
file(GLOB_RECURSE pages RELATIVE ${OUTPUT} ${OUTPUT}/*.html ${OUTPUT}/*.css ${OUTPUT}/*.png
     ${OUTPUT}/*.svg)
list(SORT pages)
foreach(page IN LISTS pages)
  string(APPEND files "      <file>${page}</file>\n")
endforeach()

file(WRITE ${OUTPUT}/cartes-especes.qhp "<?xml version=\"1.0\" encoding=\"UTF-8\"?>
<QtHelpProject version=\"1.0\">
  <namespace>fr.lumisque.cartes-especes</namespace>
  <virtualFolder>doc</virtualFolder>
  <filterSection>
    <toc>
${aide_toc}${cours_toc}    </toc>
    <keywords>
${keywords}    </keywords>
    <files>
${files}    </files>
  </filterSection>
</QtHelpProject>
")

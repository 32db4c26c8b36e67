# mirel_embed_text(OUT SOURCE NAMESPACE NAME): generates OUT, a C++ file defining
# NAMESPACE::NAME as the text of SOURCE, and reconfigures when SOURCE changes. A table
# compiled in costs no file to find and no resource to register when a program starts.
set(MIREL_EMBED_TEMPLATE ${CMAKE_CURRENT_LIST_DIR}/embeddedtext.cpp.in)
function(mirel_embed_text out source namespace name)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${source})
  file(READ ${source} EMBED_TEXT)
  set(EMBED_SOURCE ${source})
  set(EMBED_NAMESPACE ${namespace})
  set(EMBED_NAME ${name})
  configure_file(${MIREL_EMBED_TEMPLATE} ${out} @ONLY)
endfunction()

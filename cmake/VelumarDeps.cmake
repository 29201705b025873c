# zlib and libjpeg for every build.
#   velumar::zlib  - zlib (Windows builds: Debian's zlib without its gz* functions,
#                    cross-built by `./dev setup` under VELUMAR_DEPS_DIR/<triple>)
#   velumar::jpeg  - libjpeg (Windows builds: libjpeg-turbo cross-built by
#                    `./dev setup` under VELUMAR_DEPS_DIR/<triple>)
if(VELUMAR_WIN32)
  set(VELUMAR_DEPS_DIR ${PROJECT_SOURCE_DIR}/build/deps CACHE PATH "Cross-built dependencies")
  set(deps_root ${VELUMAR_DEPS_DIR}/${VELUMAR_MINGW_PREFIX})
  foreach(library jpeg z)
    if(NOT EXISTS ${deps_root}/lib/lib${library}.a)
      message(FATAL_ERROR "lib${library} for ${VELUMAR_MINGW_PREFIX} is missing under ${deps_root}: run ./dev setup")
    endif()
    add_library(velumar_${library} STATIC IMPORTED GLOBAL)
    set_target_properties(velumar_${library} PROPERTIES
      IMPORTED_LOCATION ${deps_root}/lib/lib${library}.a
      INTERFACE_INCLUDE_DIRECTORIES ${deps_root}/include)
  endforeach()
  add_library(velumar::jpeg ALIAS velumar_jpeg)
  add_library(velumar::zlib ALIAS velumar_z)
else()
  find_package(ZLIB REQUIRED)
  add_library(velumar::zlib ALIAS ZLIB::ZLIB)
  find_package(JPEG REQUIRED)
  add_library(velumar::jpeg ALIAS JPEG::JPEG)
endif()

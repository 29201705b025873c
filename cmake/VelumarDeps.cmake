# zlib and libjpeg for every build.
#   velumar::zlib  - zlib (static in the Windows builds)
#   velumar::jpeg  - libjpeg (Windows builds: libjpeg-turbo cross-built by
#                    `./dev setup` under VELUMAR_DEPS_DIR/<triple>)
if(VELUMAR_WIN32)
  set(ZLIB_USE_STATIC_LIBS ON)
endif()
find_package(ZLIB REQUIRED)
add_library(velumar::zlib ALIAS ZLIB::ZLIB)

if(VELUMAR_WIN32)
  set(VELUMAR_DEPS_DIR ${PROJECT_SOURCE_DIR}/build/deps CACHE PATH "Cross-built dependencies")
  set(jpeg_root ${VELUMAR_DEPS_DIR}/${VELUMAR_MINGW_PREFIX})
  if(NOT EXISTS ${jpeg_root}/lib/libjpeg.a)
    message(FATAL_ERROR "libjpeg for ${VELUMAR_MINGW_PREFIX} is missing under ${jpeg_root}: run ./dev setup")
  endif()
  add_library(velumar_jpeg STATIC IMPORTED GLOBAL)
  set_target_properties(velumar_jpeg PROPERTIES
    IMPORTED_LOCATION ${jpeg_root}/lib/libjpeg.a
    INTERFACE_INCLUDE_DIRECTORIES ${jpeg_root}/include)
  add_library(velumar::jpeg ALIAS velumar_jpeg)
else()
  find_package(JPEG REQUIRED)
  add_library(velumar::jpeg ALIAS JPEG::JPEG)
endif()

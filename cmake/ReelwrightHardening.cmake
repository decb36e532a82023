# Debian's hardening flags (what `dpkg-buildflags` adds with hardening=+all), so that
# the package's programs pass lintian's hardening checks: stack protector, format
# string checks, fortified C library calls, and a read-only relocation table bound at
# start-up ("bindnow"). Position-independent executables are the compiler's default.
if(NOT REELWRIGHT_HARDENING)
    return()
endif()

add_compile_options(-fstack-protector-strong -Wformat -Werror=format-security)
add_link_options(-Wl,-z,relro -Wl,-z,now)

# The fortified calls need an optimised build, and the sanitizers and the fuzzer bring
# checks of their own that would only trip over them.
if(NOT REELWRIGHT_SANITIZE AND NOT REELWRIGHT_THREAD_SANITIZER AND NOT REELWRIGHT_FUZZ)
    add_compile_definitions($<$<NOT:$<CONFIG:Debug>>:_FORTIFY_SOURCE=2>)
endif()

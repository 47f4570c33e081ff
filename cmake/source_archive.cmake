# The source travels with the Windows download: run by the build (cmake -P), it writes into
# OUT Sondrel's source as an archive of the commit built (git archive: the same bytes from
# the same commit) and SOURCE.txt, which names that commit and the Qt inside sondrel.exe (as
# scripts/windows-qt described it beside that Qt), so that anyone can build the same program.
#
#   cmake -DSOURCE=DIR -DOUT=DIR -DVERSION=V -DCOMPILER=V [-DQT=QT_FOLDER] -P source_archive.cmake
set(archive sondrel-${VERSION}-source.tar.gz)
execute_process(COMMAND git -C ${SOURCE} rev-parse --verify HEAD
                OUTPUT_VARIABLE commit OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE no_git
                ERROR_QUIET)
if(no_git)
    set(SONDREL_COMMIT "(not known: this build's source was not a git checkout)")
    set(SONDREL_ARCHIVE "It was built from a copy of the source outside git, so it carries no
archive of it: the source is the copy it was built from.")
    file(REMOVE ${OUT}/${archive})
else()
    set(SONDREL_COMMIT ${commit})
    set(SONDREL_ARCHIVE "Sondrel's whole source, as of that commit, is beside this
file: ${archive}. Its README says how to build it; scripts/windows
makes this download.")
    execute_process(COMMAND git -C ${SOURCE} status --porcelain --untracked-files=no
                    OUTPUT_VARIABLE changes)
    if(changes)
        string(APPEND SONDREL_ARCHIVE "\nThe build's source had changes not yet committed; the archive holds the commit.")
    endif()
    file(MAKE_DIRECTORY ${OUT})
    execute_process(COMMAND git -C ${SOURCE} archive --format=tar.gz --prefix=sondrel-${VERSION}/
                            -o ${OUT}/${archive}.new ${commit} COMMAND_ERROR_IS_FATAL ANY)
    file(COPY_FILE ${OUT}/${archive}.new ${OUT}/${archive} ONLY_IF_DIFFERENT)
    file(REMOVE ${OUT}/${archive}.new)
endif()

if(QT AND EXISTS ${QT}/SOURCE-qt.txt)
    file(READ ${QT}/SOURCE-qt.txt SONDREL_QT)
    string(PREPEND SONDREL_QT "sondrel.exe contains Qt for Windows, built from\n")
elseif(QT)
    set(SONDREL_QT "sondrel.exe contains a Qt for Windows that scripts/windows-qt did not build;
its source is not described here.\n")
else()
    set(SONDREL_QT "")
endif()
file(READ ${EBUR128}/SOURCE-ebur128.txt SONDREL_EBUR128)
string(PREPEND SONDREL_EBUR128 "sondrel.exe and sondrel-text.exe contain libebur128 for Windows, built from\n")
set(SONDREL_VERSION ${VERSION})
set(SONDREL_COMPILER ${COMPILER})
# Windows' own line ends, for Notepad, in what was read in too.
file(READ ${SOURCE}/data/windows/SOURCE.txt.in text)
string(CONFIGURE "${text}" text @ONLY)
string(REPLACE "\n" "\r\n" text "${text}")
file(WRITE ${OUT}/SOURCE.txt "${text}")

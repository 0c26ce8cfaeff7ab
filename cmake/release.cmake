# The release's date in the forms its files need, from DORMINAX_RELEASE_DATE (YYYY-MM-DD):
#   DORMINAX_SOURCE_DATE_EPOCH    the time every file in the packages and archives carries,
#                                 so that two builds of one version give the same bytes;
#                                 SOURCE_DATE_EPOCH from the environment wins, as
#                                 reproducible builds expect
#   DORMINAX_RELEASE_DATE_RFC2822 the Debian changelog's form of the date

function(dorminax_release_dates)
  string(REGEX MATCH "^([0-9][0-9][0-9][0-9])-([0-9][0-9])-([0-9][0-9])$" date_ok
         "${DORMINAX_RELEASE_DATE}")
  if(NOT date_ok)
    message(FATAL_ERROR "DORMINAX_RELEASE_DATE '${DORMINAX_RELEASE_DATE}' is not YYYY-MM-DD")
  endif()
  set(year ${CMAKE_MATCH_1})
  set(month ${CMAKE_MATCH_2})
  set(day ${CMAKE_MATCH_3})
  # Leading zeros off: math(EXPR) would read 08 as octal.
  string(REGEX REPLACE "^0" "" month "${month}")
  string(REGEX REPLACE "^0" "" day "${day}")

  # Days since 1970-01-01 of a date in the proleptic Gregorian calendar (Howard Hinnant's
  # days_from_civil): years counted from March, so that the leap day ends a year.
  if(month LESS_EQUAL 2)
    math(EXPR year "${year} - 1")
    math(EXPR month_from_march "${month} + 9")
  else()
    math(EXPR month_from_march "${month} - 3")
  endif()
  math(EXPR era "${year} / 400")
  math(EXPR year_of_era "${year} - ${era} * 400")
  math(EXPR day_of_year "(153 * ${month_from_march} + 2) / 5 + ${day} - 1")
  math(EXPR day_of_era
       "${year_of_era} * 365 + ${year_of_era} / 4 - ${year_of_era} / 100 + ${day_of_year}")
  math(EXPR release_epoch "(${era} * 146097 + ${day_of_era} - 719468) * 86400")

  if(NOT "$ENV{SOURCE_DATE_EPOCH}" STREQUAL "")
    if(NOT "$ENV{SOURCE_DATE_EPOCH}" MATCHES "^[0-9]+$")
      message(FATAL_ERROR "SOURCE_DATE_EPOCH '$ENV{SOURCE_DATE_EPOCH}' is not a number of seconds")
    endif()
    set(DORMINAX_SOURCE_DATE_EPOCH $ENV{SOURCE_DATE_EPOCH} PARENT_SCOPE)
  else()
    set(DORMINAX_SOURCE_DATE_EPOCH ${release_epoch} PARENT_SCOPE)
  endif()

  # string(TIMESTAMP) formats SOURCE_DATE_EPOCH when it is set: the release's midnight.
  set(saved_epoch "$ENV{SOURCE_DATE_EPOCH}")
  set(ENV{SOURCE_DATE_EPOCH} ${release_epoch})
  string(TIMESTAMP rfc2822 "%a, %d %b %Y %H:%M:%S +0000" UTC)
  string(TIMESTAMP checked_date "%Y-%m-%d" UTC)
  if(saved_epoch STREQUAL "")
    unset(ENV{SOURCE_DATE_EPOCH})
  else()
    set(ENV{SOURCE_DATE_EPOCH} "${saved_epoch}")
  endif()
  if(NOT checked_date STREQUAL DORMINAX_RELEASE_DATE)
    message(FATAL_ERROR "DORMINAX_RELEASE_DATE '${DORMINAX_RELEASE_DATE}' is no calendar day")
  endif()
  set(DORMINAX_RELEASE_DATE_RFC2822 "${rfc2822}" PARENT_SCOPE)
endfunction()
dorminax_release_dates()

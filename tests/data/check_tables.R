# Reads one table as data wrote it in CSV, SPSS and Stata, with the dictionary's view of
# its columns (a tab-separated file the test writes), and prints every difference, one per
# line; nothing when they agree.
#   Rscript check_tables.R TABLE.csv TABLE.sav TABLE.dta COLUMNS.tsv
args <- commandArgs(trailingOnly = TRUE)
csv <- read.csv(args[1], colClasses = "character", na.strings = character(0), check.names = FALSE,
                encoding = "UTF-8")
sav <- haven::read_sav(args[2], user_na = TRUE)
dta <- haven::read_dta(args[3])
columns <- read.delim(args[4], colClasses = "character", quote = "", na.strings = character(0), encoding = "UTF-8")
problem <- function(...) cat(paste0(...), "\n", sep = "")

if (!identical(names(sav), names(csv))) problem("sav names: ", paste(names(sav), collapse = ","))
if (!identical(names(dta), names(csv))) problem("dta names: ", paste(names(dta), collapse = ","))
if (nrow(sav) != nrow(csv) || nrow(dta) != nrow(csv)) problem("rows: csv ", nrow(csv), " sav ", nrow(sav), " dta ", nrow(dta))
specials <- c(MISSING = "a", NOTAPPL = "b", DEFAULT = "c")

for (i in seq_len(nrow(columns))) {
  col <- columns[i, ]
  name <- col$name
  s <- sav[[name]]; d <- dta[[name]]; text <- csv[[name]]
  for (f in list(list("sav", s), list("dta", d))) {
    label <- attr(f[[2]], "label", exact = TRUE)
    if (!identical(if (is.null(label)) "" else label, col$label)) problem(f[[1]], " ", name, " label: ", label)
  }
  if (col$numeric == "0") {
    if (!identical(as.character(s), text)) problem("sav ", name, ": texts differ")
    if (!identical(as.character(d), text)) problem("dta ", name, ": texts differ")
    next
  }
  # Value labels: every single value the dictionary labels, in .sav; in .dta on integer items.
  wanted <- if (col$labels == "") character(0) else strsplit(col$labels, "\x1f", fixed = TRUE)[[1]]
  for (pair in wanted) {
    value <- as.numeric(sub("=.*", "", pair)); text_label <- sub("^[^=]*=", "", pair)
    got <- attr(s, "labels")
    if (is.null(got) || !any(abs(unclass(got) - value) < 1e-9 & names(got) == text_label))
      problem("sav ", name, ": no value label ", pair)
  }
  # The special codes are user-missing in .sav.
  codes <- if (col$codes == "") numeric(0) else as.numeric(strsplit(col$codes, ",", fixed = TRUE)[[1]])
  declared <- function(v) !is.na(v) && (v %in% attr(s, "na_values") ||
    (!is.null(attr(s, "na_range")) && v >= attr(s, "na_range")[1] && v <= attr(s, "na_range")[2]))
  for (code in codes) if (!declared(code)) problem("sav ", name, ": code ", code, " is not user-missing")
  # Every value against the CSV.
  sv <- unclass(s); dv <- unclass(d)
  for (r in seq_along(text)) {
    t <- text[r]
    if (t == "") {
      if (!is.na(sv[r]) || declared(sv[r])) problem("sav ", name, " row ", r, ": ", sv[r], " for a blank")
      if (!identical(haven::na_tag(dv[r]), "b")) problem("dta ", name, " row ", r, ": ", dv[r], " for a blank")
    } else if (t %in% names(specials)) {
      if (!is.na(sv[r]) && !declared(sv[r])) problem("sav ", name, " row ", r, ": ", sv[r], " for ", t)
      if (!identical(haven::na_tag(dv[r]), specials[[t]])) problem("dta ", name, " row ", r, ": not .", specials[[t]], " for ", t)
    } else {
      v <- as.numeric(t)
      if (is.na(sv[r]) || abs(sv[r] - v) > 1e-9 * max(1, abs(v))) problem("sav ", name, " row ", r, ": ", sv[r], " for ", t)
      if (is.na(dv[r]) || abs(dv[r] - v) > 1e-9 * max(1, abs(v))) problem("dta ", name, " row ", r, ": ", dv[r], " for ", t)
    }
  }
}

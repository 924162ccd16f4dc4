# The shell's reader of a build record (FORMAT.md), which brand.py writes;
# sourced by the preview and the tests: one launcher-wide field, or each value
# of one given once for each value, one field of every dialog, or the dialogs, a
# line each, its fields apart by tabs, as a face's name holds spaces: tag,
# locale, code page, the face that stands in for the dialog's font (or -), the
# caption's face and whether it is bold.
record_field() {    # record_field RECORD FIELD
    awk -F'\t' -v f="$2" '$1 == "dialog" { exit } $1 == f { print $2; exit }' "$1"
}
record_values() {   # record_values RECORD FIELD: a field given once for each value (argument), a line each
    awk -F'\t' -v f="$2" '$1 == "dialog" { exit } $1 == f { print $2 }' "$1"
}
record_dialogs() {  # record_dialogs RECORD
    awk -F'\t' -v OFS='\t' '
        $1 == "dialog" { if (tag != "") print tag, locale, cp, face, caption, bold; tag = $2 }
        $1 == "locale" { locale = $2 } $1 == "codepage" { cp = $2 }
        $1 == "stand_in" { face = $2 } $1 == "caption_face" { caption = $2 } $1 == "caption_bold" { bold = $2 }
        END { if (tag != "") print tag, locale, cp, face, caption, bold }' "$1"
}
record_dialog_values() {  # record_dialog_values RECORD FIELD: each dialog's tag and its value, apart by a tab
    awk -F'\t' -v OFS='\t' -v f="$2" '$1 == "dialog" { tag = $2 } tag != "" && $1 == f { print tag, $2 }' "$1"
}

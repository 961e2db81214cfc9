# Bash completion of vistrel-cli: its commands and options, file and folder names, and the
# names of the values and image variants of the skin given with --skin. What to offer comes
# from the program itself (its hidden command __complete, which reads the skin), so this script
# knows no command and no option.
# shellcheck shell=bash

_vistrel_cli() {
  # Bash splits a word at "=" ("--size BIG=" arrives as "--size" "BIG" "="): join the pieces.
  local words=() cword=0 i
  for ((i = 0; i < ${#COMP_WORDS[@]}; i++)); do
    if ((i > 1)) && [[ ${COMP_WORDS[i]} == = || ${COMP_WORDS[i - 1]} == = ]]; then
      words[${#words[@]} - 1]+=${COMP_WORDS[i]}
    else
      words+=("${COMP_WORDS[i]}")
    fi
    ((i == COMP_CWORD)) && cword=$((${#words[@]} - 1))
  done
  local cur=${words[cword]} piece=${COMP_WORDS[COMP_CWORD]}

  local kind pattern prefix offered=()
  {
    IFS= read -r kind && IFS= read -r pattern && IFS= read -r prefix && mapfile -t offered
  } < <("${words[0]}" __complete "${words[@]:1:cword}" 2>/dev/null)

  local typed=${cur#"$prefix"}
  case $kind in
    words) ;;
    files)
      compopt -o filenames 2>/dev/null
      if [[ -n $pattern ]]; then
        mapfile -t offered < <(compgen -d -- "$typed"; compgen -f -X "!$pattern" -- "$typed")
      else
        mapfile -t offered < <(compgen -f -- "$typed")
      fi
      offered=("${offered[@]/#/$prefix}")
      ;;
    folders)
      compopt -o filenames 2>/dev/null
      mapfile -t offered < <(compgen -d -- "$typed")
      offered=("${offered[@]/#/$prefix}")
      ;;
    *) offered=() ;;
  esac

  # Bash replaces only its own piece of the word, the part after the last "=".
  local cut=$((${#cur} - ${#piece})) word
  COMPREPLY=()
  for word in "${offered[@]}"; do COMPREPLY+=("${word:cut}"); done
  # A name with "=" waits for its value.
  if ((${#COMPREPLY[@]} == 1)) && [[ ${COMPREPLY[0]} == *= ]]; then
    compopt -o nospace 2>/dev/null
  fi
  return 0
}

complete -F _vistrel_cli vistrel-cli

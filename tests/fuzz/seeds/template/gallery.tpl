<html><title>%TITEL% %% 100%</title>
<!--[VTL] NEWSECTION NAME:zeile NUMREPEAT:%SPALTEN% -->
<td><a href="%SEITE%"><img src="%THUMB%" alt="%Titel%"></a>%JPGMETA:EquipMake% %unclosed
<!--[VTL] CONDITION(DoesExist(%Ort%)=FALSE)-->kein Ort<!--[VTL] END CONDITION-->
<!--[VTL] CONDITION(ISPORTRAIT)-->hoch<!--[VTL] END CONDITION--><!--[VTL] CONDITION(IMGINDEXISEVEN = FALSE)-->ungerade<!--[VTL] END CONDITION-->
<!--[VTL] ENDSECTION -->
<a href="%PREVIOUS_INDEX%">zurück</a> %NEXT_INDEX% %FIRST_SEITE% %LAST_SEITE% %PATTERN_INDEX%/%NUM_PATTERNPAGES%
after the end
